// The checks of the data files: translation files, the settings file and
// the two archives.

#include "checker/MediumCheck.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>

#include "checker/MediumCheckContext.h"
#include "localization/IniFile.h"
#include "localization/TTranslator.h"
#include "platform/CodePage.h"
#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"
#include "platform/LocaleCodePage.h"
#include "platform/ProgramFolder.h"
#include "ui/Text.h"
#include "ui/scripted/ScriptedUiPort.h"
#include "zip/TZip.h"
#include "zipformat/NameDecoder.h"
#include "zipformat/ZipFormat.h"

namespace {

// Sections the wizard looks up in every translation file, beyond the
// texts of the language list: captions of the window and the messages of
// the log, the copy and the manual button.
constexpr const char* kRequiredSections[] = {
    "lbWelcome", "lbWelcomeText", "lbSelectLanguage", "lbProgressHeader", "lbProgressText",
    "btnStart", "btnManual", "btnClose", "btnFinish", "msgTitleBar", "titlebar",
    "msgCopyZipDll", "msgCopyZip", "msgNotCopied", "msgCopyDataToNewVarnekGerrix",
    "msgCloseInstallation", "msginstall_acrobat", "msgfilenotfound",
};

// The optional sections of the archive dialog and its questions, and
// whether each text stands with an entry name ("%s").
struct OptionalSection {
    const char* name;
    bool needsName;
};
constexpr OptionalSection kArchiveSections[] = {
    {"msgZipCancel", false},       {"msgZipNewPassword", true},      {"msgZipRetryPassword", false},
    {"msgZipNoPassword", false},   {"msgZipNoPasswordQuestion", false}, {"msgZipDamaged", true},
    {"msgZipDamagedQuestion", false}, {"msgZipOlder", true},         {"msgZipOlderQuestion", false},
    {"msgZipNewer", true},         {"msgZipNewerQuestion", false},
};

// "VG_Setup.ini", section "ENVIROMENT" (spelled so).
constexpr const char* kSettingsFile = "VG_Setup.ini";
constexpr const char* kSettingsSection = "ENVIROMENT";

using ui::OneLine;
using ui::UpperAscii;

// How many names of one archive the checker lists one by one.
constexpr std::size_t kMaxNamesListed = 20;

// The entries of an archive of DOS names whose stored name is UTF-8
// (non-ASCII and well-formed) without the UTF-8 mark (general purpose bit
// 11) or a Unicode path: the wizard reads such names in the OEM code page,
// as the format says, and writes them under another name.
std::vector<const TFileInfo*> UnmarkedUtf8Names(const TZip& zip) {
    std::vector<const TFileInfo*> found;
    if (!zip.OemNames()) {
        return found;
    }
    for (const TFileInfo& entry : zip.Entries()) {
        const std::uint16_t flags = static_cast<std::uint16_t>(entry.Header[8] | (entry.Header[9] << 8));
        const bool ascii = std::all_of(entry.StoredName.begin(), entry.StoredName.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        if ((flags & zipformat::kFlagUtf8) == 0 && !ascii &&
            platform::IsValidUtf8(entry.StoredName) &&
            zipformat::UnicodePath(entry.ExtraField, entry.StoredName).empty()) {
            found.push_back(&entry);
        }
    }
    return found;
}

// A new empty folder for the extraction, removed with the object.
class ScratchFolder {
public:
    ScratchFolder() {
        std::random_device random;
        const std::string folder = platform::TemporaryFolder();
        const std::filesystem::path base(std::u8string(folder.begin(), folder.end()));
        for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
            const auto candidate = base / ("vg-medium-check-" + std::to_string(random()));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) {
                m_path = candidate;
            }
        }
    }
    ~ScratchFolder() {
        std::error_code error;
        if (!m_path.empty()) {
            std::filesystem::remove_all(m_path, error);
        }
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    bool Made() const { return !m_path.empty(); }
    std::string Path() const {
        const auto text = m_path.u8string();
        return std::string(text.begin(), text.end());
    }

private:
    std::filesystem::path m_path;
};

} // namespace

void MediumCheck::CheckTranslationFile(const std::string& fileName, const std::string& languages) {
    ui::Component& form = m_context->form;
    const std::string name = "trans/" + fileName;
    const std::string path = PathOf(name);
    if (!platform::FileExists(path)) {
        Problem(name + " is missing: choosing " + languages +
                " shows \"Translationfile not found!\" and leaves the window untranslated; add it.");
        return;
    }
    const localization::IniFile ini(path, TTranslator::LegacyCodePageOf(fileName));
    if (!ini.Exists()) {
        Problem(name + " cannot be read: make it a readable text file.");
        return;
    }
    const std::vector<std::string> sections = ini.SectionNames(16384);
    const std::vector<std::string> all = ini.SectionNames(SIZE_MAX);
    if (sections.size() < all.size()) {
        Problem(name + ": the section names take more than 16384 bytes, so [" +
                all[sections.size()] + "] and the sections after it are never read; shorten "
                                       "or remove sections.");
    }
    std::size_t problems = 0;
    std::map<std::string, int> seen;
    for (const std::string& section : sections) {
        if (++seen[UpperAscii(section)] == 2) {
            Problem(name + ": section [" + section +
                    "] occurs more than once; only the first is read: remove the others.");
            ++problems;
        }
    }
    for (const char* key : kRequiredSections) {
        if (!ini.HasSection(key)) {
            Problem(name + ": section [" + key + "] is missing: the wizard shows \"" + key +
                    "\" in its place; add it.");
            ++problems;
        } else if (ini.ReadString(key, "value").empty()) {
            Problem(name + ": section [" + key + "] has no value: the wizard shows an empty text; "
                                                 "write the text after \"value=\".");
            ++problems;
        }
    }
    for (const auto& entry : TForm1::LanguageList()) {
        if (!ini.HasSection(entry.messageKey) || ini.ReadString(entry.messageKey, "value").empty()) {
            Problem(name + ": section [" + entry.messageKey +
                    "] is missing or empty: the language list shows \"" + entry.messageKey +
                    "\" or an empty line; add the language's name.");
            ++problems;
        }
    }
    // The archive's questions: optional, English without them; a text that
    // stands with an entry name must have its "%s".
    std::string missing;
    for (const OptionalSection& section : kArchiveSections) {
        const std::string text = ini.ReadString(section.name, "value");
        if (text.empty()) {
            missing += (missing.empty() ? "[" : ", [") + std::string(section.name) + "]";
        } else if (section.needsName && text.find("%s") == std::string::npos) {
            Problem(name + ": section [" + section.name + "] has no %s: the archive's question "
                                                         "would not name the file; write %s "
                                                         "where the file's name belongs.");
            ++problems;
        }
    }
    if (!missing.empty()) {
        Note(name + " has no " + missing + ": the archive questions appear in English for " +
             languages + ".");
    }
    // Applied to the window as the catalogue applies it: a property the
    // component does not have stops the file with an error box.
    for (const std::string& section : sections) {
        ui::Component* component = form.FindComponent(section);
        if (component == nullptr) {
            continue;
        }
        const std::string property = ini.ReadString(section, "property");
        if (component->SetTextProperty(property, ini.ReadString(section, "value")) ==
            ui::PropertyResult::Missing) {
            Problem(name + ": section [" + section + "] names the property \"" + property +
                    "\", which " + component->Name() +
                    " does not have: the wizard stops with \"Property " + property +
                    " does not exist\"; write a property it has (Caption).");
            ++problems;
        }
    }
    if (problems == 0) {
        Ok(name + " (" + ini.Encoding() + ", " + std::to_string(sections.size()) +
           " sections) serves " + languages + ".");
    } else {
        Note(name + " is read as " + ini.Encoding() + ".");
    }
}

void MediumCheck::CheckSettings() {
    const std::string path = PathOf(kSettingsFile);
    std::string registerVersion;
    std::string versionZipName;
    if (!platform::FileExists(path)) {
        Problem(std::string(kSettingsFile) +
                " is missing: the wizard finds no installation; add it with the section [" +
                kSettingsSection + "] and the keys RegisterVersion and VersionZipName.");
    } else {
        const localization::IniFile ini(path, 1252);
        if (!ini.HasSection(kSettingsSection)) {
            Problem(std::string(kSettingsFile) + " has no section [" + kSettingsSection +
                    "] (spelled so): the wizard finds no installation; add it.");
        } else {
            registerVersion = ini.ReadString(kSettingsSection, "RegisterVersion");
            versionZipName = ini.ReadString(kSettingsSection, "VersionZipName");
            if (registerVersion.empty()) {
                Problem(std::string(kSettingsFile) + ": RegisterVersion is missing or empty in [" +
                        kSettingsSection + "]: the wizard finds no installation; write the version "
                                           "name the program registered itself under.");
            }
            if (versionZipName.empty()) {
                Problem(std::string(kSettingsFile) + ": VersionZipName is missing or empty in [" +
                        kSettingsSection + "]: the version archive would be \".zip\"; write its "
                                           "name without \".zip\".");
            }
        }
    }
    TForm1& form = m_context->form;
    form.ReadSetupSettings();
    if (!registerVersion.empty()) {
        Ok(std::string(kSettingsFile) + ": the installation is looked up at HKEY_LOCAL_MACHINE" +
           form.TargetKeyPath() + ".");
    }
    if (!versionZipName.empty()) {
        CheckArchive(form.VersionZipName + ".zip", "the installation's program folder (AppDir)");
    }
    CheckArchive("environments.zip", "EnvDir + Version + \"/environments/\"");
}

void MediumCheck::CheckArchive(const std::string& fileName, const std::string& landsIn) {
    Context& c = *m_context;
    const std::string path = PathOf(fileName);
    // Opening a missing archive would create an empty one on the medium.
    if (!platform::FileExists(path)) {
        Problem(fileName + " is missing: nothing would be unpacked into " + landsIn +
                " (on a writable medium the wizard even creates an empty one); add it.");
        return;
    }
    TZip& zip = c.form.Make<TZip>(
        "CheckZip", TZipServices{c.app, c.volumes, platform::SystemOemCodePage(),
                                 platform::SystemAnsiCodePage(), PathOf(platform::EngineLibraryName())});
    const std::size_t boxesBefore = c.port.Boxes().size();
    const std::size_t queriesBefore = c.port.Queries().size();
    try {
        zip.SetArchiveFileName(path);
    } catch (const std::exception& error) {
        Problem(fileName + ": " + OneLine(error.what()) + " The archive fails; pack it anew.");
        return;
    }
    if (zip.Entries().empty()) {
        Problem(fileName + " holds no entries or asks for another disk: nothing would be unpacked "
                           "into " + landsIn + "; pack it anew on one disk.");
        return;
    }
    CheckEntryNames(fileName, zip);
    if (!m_engineUsable) {
        Note(fileName + " opens; its entries were not tested, for want of a usable engine.");
        return;
    }
    ScratchFolder scratch;
    if (!scratch.Made()) {
        Note(fileName + ": no temporary folder could be made, so its entries were not tested.");
        return;
    }
    zip.ShowProgressDialog = false;
    zip.ExtractBaseFolder = scratch.Path();
    zip.ExtractOptions = ExtractOption16;
    std::int32_t result = 0;
    try {
        result = zip.Extract();
    } catch (const std::exception& error) {
        Problem(fileName + ": " + OneLine(error.what()));
        return;
    }
    std::size_t problems = 0;
    for (std::size_t i = boxesBefore; i < c.port.Boxes().size(); ++i) {
        Problem(fileName + ": the customer would be asked: " +
                OneLine(c.port.Boxes()[i].request.text) + " Pack the archive anew.");
        ++problems;
    }
    // A damaged entry the customer is asked about is reported by that
    // question; the engine's messages tell the rest.
    if (problems == 0) {
        for (const std::string& message : zip.EngineMessages) {
            Problem(fileName + ": " + OneLine(message) + "; pack the archive anew.");
            ++problems;
        }
    }
    if (c.port.Queries().size() > queriesBefore) {
        Problem(fileName + " holds encrypted entries: the customer would be asked for a password; "
                           "pack it without one.");
        ++problems;
    }
    if (result != 0 && problems == 0) {
        Problem(fileName + ": the unzip engine ended with code " + std::to_string(result) +
                "; pack the archive anew.");
        ++problems;
    }
    if (problems == 0) {
        Ok(fileName + ": " + std::to_string(zip.Entries().size()) +
           " entries, every one extracts and passes its checksum; it is unpacked into " + landsIn +
           ".");
    }
}

void MediumCheck::CheckEntryNames(const std::string& fileName, const TZip& zip) {
    const std::vector<const TFileInfo*> names = UnmarkedUtf8Names(zip);
    for (std::size_t i = 0; i < names.size() && i < kMaxNamesListed; ++i) {
        std::string written = names[i]->FileName;
        std::replace(written.begin(), written.end(), '\\', '/');
        Problem(fileName + ": \"" + names[i]->StoredName +
                "\" is stored in UTF-8 without the UTF-8 mark in an archive of DOS names, so it "
                "is read in the DOS code page and written as \"" + written +
                "\"; pack the archive anew with a tool that marks UTF-8 names (Info-ZIP zip 3, "
                "7-Zip, bsdtar).");
    }
    if (names.size() > kMaxNamesListed) {
        Problem(fileName + ": " + std::to_string(names.size() - kMaxNamesListed) +
                " more names like these would be written under other names.");
    }
}

int RunMediumCheck(const std::vector<std::string>& args, std::ostream& out) {
    if (args.size() != 1 || args[0].empty() || args[0].front() == '-') {
        out << "usage: vg-medium-check FOLDER\n"
               "Checks the installation medium in FOLDER (the folder that holds setup) the way\n"
               "the wizard reads it, and lists every problem a customer would meet.\n";
        return 2;
    }
    MediumCheck check(args[0]);
    int problems = 0;
    for (const auto& finding : check.Run()) {
        switch (finding.kind) {
        case MediumCheck::Finding::Kind::Ok:
            out << "ok       ";
            break;
        case MediumCheck::Finding::Kind::Note:
            out << "note     ";
            break;
        case MediumCheck::Finding::Kind::Problem:
            out << "PROBLEM  ";
            ++problems;
            break;
        }
        out << finding.text << '\n';
    }
    if (problems == 0) {
        out << "No problem found: the medium in " << args[0] << " would install cleanly.\n";
        return 0;
    }
    out << problems << (problems == 1 ? " problem" : " problems") << " found in " << args[0]
        << ": a customer would meet " << (problems == 1 ? "it" : "them") << ".\n";
    return 1;
}
