#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/ExitCode.h"
#include "platform/Directory.h"
#include "platform/Registry.h"
#include "ui/Bevel.h"
#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/Form.h"
#include "ui/Image.h"
#include "ui/Label.h"
#include "ui/Memo.h"
#include "ui/Notebook.h"
#include "ui/Panel.h"
#include "zip/TZip.h"

class TIOClass;
class TTranslator;

namespace platform {
class FileProtection;
class Locale;
class Shell;
class Volumes;
} // namespace platform

// The services the wizard window works with. They live from program load to
// program end, longer than the window.
struct WizardServices {
    TTranslator& translator;
    TIOClass& fileIO;
    const platform::Locale& locale;
    const platform::Registry& registry;
    platform::Shell& shell;
    // For the archive component: volumes and the code pages of entry names.
    const platform::Volumes& volumes;
    int oemCodePage;
    int ansiCodePage;
    // Which files of the system folder the system keeps from being replaced.
    const platform::FileProtection& protection;
};

// The application title: it captions the error boxes and the task bar.
inline constexpr const char* kApplicationTitle = "Varnek Gerrix Morvellin setup";

// The wizard window. Page "Select Language" greets the user, offers the
// language list, the manual and the Start button; page "Progress" holds the
// progress log of the installation.
//
// The window moves through three states: choosing (first page, Close shown,
// Start enabled only while a language is chosen), installing (second page,
// Close hidden) and finished (Finish shown). It never returns to the first
// page.
class TForm1 : public ui::Form {
public:
    // `programFolder` is the folder the wizard reads its data from, without
    // a trailing separator.
    TForm1(ui::Application& app, const WizardServices& services, std::string programFolder);
    ~TForm1() override;

    // Components, named as translation files address them.
    ui::Image& Image1;
    ui::Panel& Panel1;
    ui::Bevel& Bevel1;
    ui::Button& btnClose;
    ui::Button& btnFinish;
    ui::Notebook& Notebook1;
    ui::Page& PageSelectLanguage;
    ui::Page& PageProgress;
    ui::Panel& Panel7;
    ui::Label& lbWelcomeText;
    ui::Bevel& Bevel3;
    ui::Label& lbSelectLanguage;
    ui::ComboBox& edtLanguages;
    ui::Button& btnManual;
    ui::Button& btnStart;
    ui::Panel& Panel6;
    ui::Bevel& Bevel7;
    ui::Memo& memoVoortgang;
    // Made last so that they lie above the banner.
    ui::Label& lbWelcome;
    ui::Label& lbProgressHeader;
    ui::Label& lbProgressText;
    // The archive component, non-visual.
    TZip& ZipFile;

    // Folder of the running program, without a trailing separator.
    std::string ProgramFolder;
    // The current region code; empty while no language is chosen.
    std::string RegionCode;
    // From the setup settings file.
    std::string RegisterVersion;
    std::string VersionZipName;
    // The library files the settings file lists (key "Libraries", file
    // names separated by commas): when it lists any, exactly those files
    // beside the program are copied into the system folder; otherwise every
    // library file beside the program is.
    std::vector<std::string> Libraries;
    // Of the target installation, from the registry.
    std::string AppDir;
    std::string EnvDir;
    std::string Version;
    // Where SaveLog writes a second copy of the log (the "log" option), its
    // folders made; empty for none. Absolute: the extraction changes the
    // current folder.
    std::string LogCopyPath;

    // One entry of the language list: the message key whose translation is
    // its text, and the region code it selects.
    struct LanguageEntry {
        const char* messageKey;
        const char* regionCode;
    };
    // The twelve entries of the language list, in list order.
    static std::span<const LanguageEntry> LanguageList();

    // The list position each language entry received when the list was
    // filled, in the order of the language table; -1 before.
    std::array<int, 12> LanguageEntryIndex{};

    // Event handlers.
    void FormCreate();
    void btnCloseClick();
    void btnFinishClick();
    void edtLanguagesPropertiesCloseUp();
    void btnManualClick();
    void btnStartClick();
    // Asked when the user closes the window by its system menu.
    bool FormCloseQuery();

    // Region code of the user interface locale.
    std::string DetectRegionCode() const;
    // Fills the language list with the twelve entries, translated.
    void FillLanguageList();
    // Selects the entry of `code` and enables Start when the code is set.
    void SelectLanguageEntry(const std::string& code);
    // Chooses the language of region code `code` as a choice in the list
    // does: selects its entry and runs the close-up. A code without an
    // entry (or an empty list) chooses nothing, and Start stays disabled.
    void ChooseLanguage(const std::string& code);
    // Reads "VG_Setup.ini" beside the program.
    void ReadSetupSettings();
    // The registry key of the target installation for RegisterVersion,
    // below HKEY_LOCAL_MACHINE.
    std::string TargetKeyPath() const;
    // Finds the target installation in the registry, fills AppDir, EnvDir
    // and Version and writes them to the log. False when the key does not
    // exist. Raises platform::RegistryError "Invalid data type for '%s'" for
    // a value that is not a string.
    bool LookupTargetInstallation();

    // What the library copy takes: with the key Libraries the listed files
    // beside the program (a listed name that is no file there is missing,
    // every other library beside the program unlisted), without it every
    // library file beside the program. Entries in name order.
    struct LibrarySelection {
        std::vector<platform::DirEntry> copied;
        std::vector<std::string> missing;
        std::vector<platform::DirEntry> unlisted;
    };
    LibrarySelection SelectLibraries() const;

    // Steps of the installation run. CopyLibraries is true when every
    // library was copied; a listed library missing beside the program, one
    // that would replace a file the system protects (never replaced) and a
    // copy that fails each write a failure line.
    bool CopyLibraries();
    void UnpackVersionArchive();
    void UnpackEnvironments();

    // The archive component's texts in the chosen language: the optional
    // sections msgZip* of the translation file, English where a file lacks
    // one (TZipTexts).
    TZipTexts ArchiveTexts() const;

    // The language suffix of the installation manual for RegionCode.
    std::string ManualLanguageSuffix() const;

    // Appends a line to the progress log ("- " + text; an empty text gives
    // an empty line) and shows it at once.
    void AddLogLine(const std::string& text);
    // Writes an answer given in place of a person (a run without one) under
    // the last line of the log: "- " + the question's first line + " [" +
    // the answer + "]"; the whole question and the answer also go to
    // standard error.
    void LogAnswer(const std::string& question, ui::MsgResult answer);
    // Writes the progress log to AppDir + Version + "/setup.log" (UTF-8, CR LF
    // line ends), replacing that file; without an AppDir (no target was
    // found) to "setup.log" in the folder for temporary files; and to
    // LogCopyPath when it is set. Raises ui::Exception "Cannot create file
    // "<path>". <reason>" (a line for each) when a file cannot be written,
    // after trying both.
    void SaveLog();

    // How the installation went, as the program's exit code tells it:
    // cancelled by a person (the window closed before or during the run,
    // Cancel in the copy window or the extraction dialog), failed (a
    // failure line, a run that stopped on an error, the log not saved when
    // it was last tried), else success.
    ExitCode Outcome() const;

private:
    void BuildLayout();
    // Opens `archive` on ZipFile and extracts it into `folder`, overwriting.
    // nullopt when that succeeded; else why not, in the error's own words:
    // the message the archive component raised, the engine's first message
    // for a result other than 0 (an entry that failed, an archive the engine
    // could not read), or that the extraction was stopped.
    std::optional<std::string> UnpackArchive(const std::string& archive, const std::string& folder);
    // Writes a failure line and under it the line "- " + reason, the
    // reason's line breaks turned into blanks.
    void AddFailureLines(const std::string& failure, const std::string& reason);
    // Why the folder an archive is unpacked into is unknown: the target's
    // key was not found, could not be opened with full access, or lacks the
    // value `valueName`.
    std::string UnknownFolderReason(const char* valueName) const;

    bool CloseRequested() const { return m_closeRequested; }

    TTranslator& m_translator;
    TIOClass& m_fileIO;
    const platform::Locale& m_locale;
    const platform::Registry& m_registry;
    platform::Shell& m_shell;
    const platform::FileProtection& m_protection;
    std::string m_programFolder;
    bool m_installing = false;
    bool m_closeRequested = false;
    // What Outcome reads.
    bool m_runStarted = false;
    bool m_runFinished = false;
    bool m_cancelledByUser = false;
    bool m_logSaveFailed = false;
    int m_failureLines = 0;
    // How the last lookup found the target's key.
    platform::KeyAccess m_targetAccess = platform::KeyAccess::NotFound;
};
