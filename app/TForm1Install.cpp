// The installation run: the target lookup, the library copy and the two
// archives, each step written to the progress log.

#include <algorithm>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "app/TForm1.h"
#include "fileio/TIOClass.h"
#include "localization/TTranslator.h"
#include "platform/Directory.h"
#include "platform/FileProtection.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFolder.h"
#include "platform/SystemFolder.h"
#include "ui/Application.h"
#include "ui/Text.h"

namespace {

// Marks the run as going on for as long as it exists, also when an error
// ends the run early.
class RunningFlag {
public:
    explicit RunningFlag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~RunningFlag() { m_flag = false; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;

private:
    bool& m_flag;
};

} // namespace

void TForm1::btnStartClick() {
    lbProgressHeader.Show();
    lbProgressText.Show();
    lbWelcome.Hide();
    Notebook1.NextPage();
    btnClose.Hide();

    m_runStarted = true;
    const RunningFlag running(m_installing);
    if (!LookupTargetInstallation()) {
        // Nothing is copied without a target; the archives' failure lines
        // say that they were not unpacked, and why.
        UnpackVersionArchive();
        UnpackEnvironments();
    } else if (!CloseRequested() && CopyLibraries() && !CloseRequested()) {
        AddLogLine(m_translator.Translate("msgCopyDataToNewVarnekGerrix"));
        UnpackVersionArchive();
        if (!CloseRequested()) {
            UnpackEnvironments();
        }
    }
    if (CloseRequested()) {
        Close();
        return;
    }
    AddLogLine("");
    AddLogLine(m_translator.Translate("msgCloseInstallation"));
    btnFinish.SetCaption(m_translator.Translate("btnClose"));
    btnFinish.Show();
    m_runFinished = true;
}

TForm1::LibrarySelection TForm1::SelectLibraries() const {
    const std::string sep = platform::PathSeparator();
    auto beside = platform::EnumerateMatches(ProgramFolder + sep + platform::LibraryFilePattern());
    std::sort(beside.begin(), beside.end(),
              [](const platform::DirEntry& a, const platform::DirEntry& b) { return a.name < b.name; });
    LibrarySelection selection;
    for (const std::string& name : Libraries) {
        const std::string path = ProgramFolder + sep + name;
        if (name.find_first_of("/\\") != std::string::npos || name == "." || name == ".." ||
            !platform::FileExists(path)) {
            selection.missing.push_back(name);
        } else {
            selection.copied.push_back({name, path, false});
        }
    }
    for (const platform::DirEntry& entry : beside) {
        const bool listed = std::any_of(Libraries.begin(), Libraries.end(), [&](const std::string& name) {
            return ui::SameText(name, entry.name);
        });
        if (!Libraries.empty() && !listed) {
            selection.unlisted.push_back(entry);
        } else if (Libraries.empty() && !entry.isDirectory) {
            selection.copied.push_back(entry);
        }
    }
    return selection;
}

bool TForm1::CopyLibraries() {
    const std::string systemFolder = platform::SystemFolder();
    AddLogLine(m_translator.Translate("msgCopyZipDll"));
    // The copy window speaks the chosen language where the file has its
    // optional texts, English otherwise.
    const CopyTexts english;
    m_fileIO.SetCopyTexts(CopyTexts{
        m_translator.TranslateOr("msgCopyFrom", english.copying),
        m_translator.TranslateOr("msgCopyTo", english.to),
        m_translator.TranslateOr("msgCopyCancel", english.cancel),
        m_translator.TranslateOr("msgCopyErrorTitle", english.errorCaption),
        m_translator.TranslateOr("msgCopyFailed", english.cannotCopy),
        m_translator.TranslateOr("msgCopyFolderFailed", english.cannotCreateFolder)});
    const std::string sep = platform::PathSeparator();
    const std::string libraries = ProgramFolder + sep + platform::LibraryFilePattern();
    const std::string notCopied = m_translator.Translate("msgNotCopied");
    bool ok = true;

    const LibrarySelection selection = SelectLibraries();
    for (const std::string& name : selection.missing) {
        AddFailureLines(notCopied + " (" + ProgramFolder + sep + name + ")",
                        "It is listed in the key Libraries of VG_Setup.ini but does not lie "
                        "beside the program.");
        ok = false;
    }
    for (const platform::DirEntry& entry : selection.unlisted) {
        AddLogLine(entry.path + " is not listed in the key Libraries of VG_Setup.ini: it is "
                                "not copied.");
    }
    std::vector<std::string> files;
    for (const platform::DirEntry& entry : selection.copied) {
        files.push_back(entry.path);
    }
    // A file the system protects is never replaced, whatever the medium
    // carries.
    const std::size_t before = files.size();
    std::erase_if(files, [&](const std::string& file) {
        const std::string target = systemFolder + sep + file.substr(file.find_last_of("/\\") + 1);
        if (!platform::FileExists(target) || !m_protection.IsProtected(target)) {
            return false;
        }
        AddFailureLines(notCopied + " (" + file + ")",
                        "The system protects " + target + ": it is not replaced.");
        return true;
    });
    ok = ok && files.size() == before;

    const std::string title = m_translator.Translate("msgCopyZip");
    bool copied = true;
    if (Libraries.empty() && files.size() == before) {
        copied = m_fileIO.CopyFiles(libraries, systemFolder, false, title);
    } else if (!files.empty()) {
        copied = m_fileIO.CopyFileList(files, systemFolder, title);
    }
    if (!copied) {
        m_cancelledByUser = m_cancelledByUser || m_fileIO.LastCopyCancelled();
        AddFailureLines(notCopied + " (" + libraries + ")", m_fileIO.LastCopyError());
    }
    return ok && copied;
}

void TForm1::AddFailureLines(const std::string& failure, const std::string& reason) {
    ++m_failureLines;
    AddLogLine(failure);
    // The reason stays on one line of the log: the component's messages
    // carry line breaks.
    AddLogLine(ui::OneLine(reason));
}

std::string TForm1::UnknownFolderReason(const char* valueName) const {
    const std::string key = "HKEY_LOCAL_MACHINE" + TargetKeyPath();
    switch (m_targetAccess) {
    case platform::KeyAccess::NotFound:
        return "The installation of version \"" + RegisterVersion +
               "\" was not found in the registry: there is no key " + key + ".";
    case platform::KeyAccess::ReadOnly:
        return "The registry key " + key +
               " could not be opened with full access: run the setup as administrator.";
    case platform::KeyAccess::Full:
        break;
    }
    return "The registry key " + key + " has no value \"" + valueName + "\".";
}

void TForm1::UnpackVersionArchive() {
    const std::string archive = ProgramFolder + platform::PathSeparator() + VersionZipName + ".zip";
    const std::string failure = m_translator.Translate("msgNotCopied") + " (" + archive + ")";
    if (AppDir.empty()) {
        AddFailureLines(failure, UnknownFolderReason("AppDir"));
    } else if (const auto reason = UnpackArchive(archive, AppDir)) {
        AddFailureLines(failure, *reason);
    }
}

void TForm1::UnpackEnvironments() {
    const std::string sep = platform::PathSeparator();
    const std::string archive = ProgramFolder + sep + "environments.zip";
    // Unlike the other failure lines, this one has no blank before the
    // parenthesis: the log keeps the line as the wizard has always written
    // it.
    const std::string failure = m_translator.Translate("msgNotCopied") + "(" + archive + ")";
    if (EnvDir.empty()) {
        AddFailureLines(failure, UnknownFolderReason("EnvDir"));
    } else if (const auto reason =
                   UnpackArchive(archive, EnvDir + Version + sep + "environments" + sep)) {
        AddFailureLines(failure, *reason);
    }
}

TZipTexts TForm1::ArchiveTexts() const {
    const TZipTexts english;
    // A question of two lines comes from two sections, one line each.
    auto twoLines = [this](const char* first, const char* second, const std::string& text) {
        const std::size_t cut = text.find('\n');
        return m_translator.TranslateOr(first, text.substr(0, cut)) + "\n" +
               m_translator.TranslateOr(second, text.substr(cut + 1));
    };
    return TZipTexts{
        m_translator.TranslateOr("msgZipCancel", english.cancel),
        m_translator.TranslateOr("msgZipNewPassword", english.newPassword),
        m_translator.TranslateOr("msgZipRetryPassword", english.retryPassword),
        twoLines("msgZipNoPassword", "msgZipNoPasswordQuestion", english.noPassword),
        twoLines("msgZipDamaged", "msgZipDamagedQuestion", english.damaged),
        twoLines("msgZipOlder", "msgZipOlderQuestion", english.older),
        twoLines("msgZipNewer", "msgZipNewerQuestion", english.newer)};
}

std::optional<std::string> TForm1::UnpackArchive(const std::string& archive,
                                                 const std::string& folder) {
    std::int32_t result = 0;
    // The dialog and the questions speak the chosen language where the
    // file has their optional texts.
    ZipFile.Texts = ArchiveTexts();
    try {
        ZipFile.SetArchiveFileName(archive);
        ZipFile.ExtractBaseFolder = folder;
        ZipFile.ExtractOptions = ExtractOption16;
        result = ZipFile.Extract();
    } catch (const std::exception& error) {
        return std::string(error.what());
    } catch (...) {
        return std::string("Unknown error.");
    }
    if (result == 0) {
        // Nothing failed, but a disk prompt answered Cancel, an archive
        // spread over several disks or a missing extraction folder left the
        // archive unpacked: the box that said so is gone, the log keeps it.
        if (!ZipFile.Declined.empty()) {
            return ZipFile.Declined;
        }
        return std::nullopt;
    }
    // A result other than 0: entries that failed (a full disk, a read-only
    // folder, a damaged entry, an entry without its password), an archive
    // the engine could no longer read, or a stop. The engine's first
    // message names the entry and the cause.
    if (ZipFile.Cancelled) {
        m_cancelledByUser = true;
        return std::string("The extraction was cancelled.");
    }
    if (!ZipFile.EngineMessages.empty()) {
        return ZipFile.EngineMessages.front();
    }
    return "The unzip engine ended with code " + std::to_string(result) + ".";
}

bool TForm1::FormCloseQuery() {
    if (!m_installing) {
        return true;
    }
    // Closing while a step runs: ask the running copy or extraction to stop
    // as its Cancel button would; the run closes the window once the step
    // has returned, so nothing is left half written.
    m_closeRequested = true;
    m_cancelledByUser = true;
    ZipFile.Cancelled = true;
    m_fileIO.CancelCopy();
    return false;
}
