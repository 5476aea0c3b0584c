#include "checker/MediumCheck.h"

#include <algorithm>
#include <map>
#include <string_view>

#include "checker/BinaryKind.h"
#include "checker/MediumCheckContext.h"
#include "localization/TTranslator.h"
#include "platform/Directory.h"
#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"
#include "platform/LocaleCodePage.h"
#include "platform/ProgramFolder.h"
#include "platform/SystemFolder.h"

namespace {

// The oldest engine the archive component accepts.
constexpr unsigned kOldestEngine = 160;

// The reader installer the manual button offers, below the program folder.
constexpr const char* kReaderInstaller = "xtra/acrobat/AdobeReader.exe";

} // namespace

// Made absolute at once: extracting an archive changes the current folder.
MediumCheck::MediumCheck(std::string folder) : m_folder(platform::AbsolutePath(folder)) {
    while (m_folder.size() > 1 && m_folder.ends_with(platform::PathSeparator())) {
        m_folder.pop_back();
    }
}

MediumCheck::~MediumCheck() = default;

void MediumCheck::Ok(std::string text) {
    m_findings.push_back({Finding::Kind::Ok, std::move(text)});
}

void MediumCheck::Note(std::string text) {
    m_findings.push_back({Finding::Kind::Note, std::move(text)});
}

void MediumCheck::Problem(std::string text) {
    m_findings.push_back({Finding::Kind::Problem, std::move(text)});
}

std::string MediumCheck::PathOf(const std::string& relative) const {
    std::string path = m_folder + platform::PathSeparator() + relative;
    std::replace(path.begin() + static_cast<std::ptrdiff_t>(m_folder.size()), path.end(), '/',
                 platform::PathSeparator()[0]);
    return path;
}

std::vector<MediumCheck::Finding> MediumCheck::Run() {
    m_findings.clear();
    if (!platform::DirectoryExists(m_folder)) {
        Problem(m_folder + " is not a folder: name the folder that holds the program.");
        return m_findings;
    }
    m_context = std::make_unique<Context>(m_folder);
    CheckProgramAndEngine();
    CheckTranslations();
    CheckSettings();
    CheckLibraries();
    CheckSignatures();
    CheckManuals();
    m_context.reset();
    return m_findings;
}

void MediumCheck::CheckProgramAndEngine() {
    m_engineUsable = false;
    const std::string program = std::string("setup") + platform::ExecutableSuffix();
    if (!platform::FileExists(PathOf(program))) {
        Problem(program + " is missing: put the program into the medium's top folder.");
    }
    const std::string engine = platform::EngineLibraryName();
    if (!platform::FileExists(PathOf(engine))) {
        Problem(engine + " is missing beside " + program +
                ": both archives would fail with \"Unable to load \"" + engine +
                "\".\"; copy the engine of the same build beside the program.");
        return;
    }
    // Loaded as the archive component loads it, from the medium's folder.
    platform::DynamicLibrary library;
    if (!library.Load(PathOf(engine))) {
        Problem(engine + " cannot be loaded (" + library.LastError() +
                "): ship the engine built together with " + program + ".");
        return;
    }
    using GetVersion = unsigned (*)();
    const auto getVersion = reinterpret_cast<GetVersion>(library.Symbol("GetUnzDllVersion"));
    if (getVersion == nullptr || library.Symbol("UnzDllExec") == nullptr) {
        Problem(engine + " lacks an entry point of the unzip engine: ship the engine built "
                         "together with " + program + ".");
        return;
    }
    const unsigned version = getVersion();
    if (version < kOldestEngine) {
        Problem(engine + " answers version " + std::to_string(version) +
                ", older than 160: the archives would fail with \"Error - invalid version of "
                "ZipDll.dll or UnzDll.dll\"; ship a newer engine.");
        return;
    }
    Ok(engine + " loads and answers version " + std::to_string(version) + ".");
    m_engineUsable = true;
}

void MediumCheck::CheckTranslations() {
    Context& c = *m_context;
    // The English names of the languages, when the English file can be read.
    try {
        c.english.LoadFile("europe.mdl");
    } catch (const std::exception&) {
    }
    // The files the language list can load, each with the languages that
    // load it.
    std::map<std::string, std::string> files;
    for (const auto& entry : TForm1::LanguageList()) {
        if (const auto file = TTranslator::FileNameForRegion(entry.regionCode)) {
            std::string& languages = files[*file];
            languages += (languages.empty() ? "" : ", ") + c.english.Translate(entry.messageKey);
        }
    }
    for (const auto& [file, languages] : files) {
        CheckTranslationFile(file, languages);
    }
}

void MediumCheck::CheckManuals() {
    Context& c = *m_context;
    // Which languages open which manual.
    std::map<std::string, std::vector<std::string>> bySuffix;
    std::string fallbacks;
    for (const auto& entry : TForm1::LanguageList()) {
        c.form.RegionCode = entry.regionCode;
        const std::string suffix = c.form.ManualLanguageSuffix();
        const std::string language = c.english.Translate(entry.messageKey) + " (" + entry.regionCode + ")";
        bySuffix[suffix].push_back(language);
        if (suffix == "enu" && std::string_view(entry.regionCode) != "UK") {
            fallbacks += (fallbacks.empty() ? "" : ", ") + language;
        }
    }
    for (const auto& [suffix, languages] : bySuffix) {
        std::string list;
        for (const std::string& language : languages) {
            list += (list.empty() ? "" : ", ") + language;
        }
        const std::string manual = "doc/installation_" + suffix + ".pdf";
        if (!platform::FileExists(PathOf(manual))) {
            Problem(manual + " is missing: the Manual button says the file was not found for " +
                    list + "; add the manual.");
        } else {
            Ok(manual + " serves " + list + ".");
        }
    }
    if (!fallbacks.empty()) {
        Note("Languages without a manual of their own open the English one: " + fallbacks + ".");
    }
    if (!platform::FileExists(PathOf(kReaderInstaller))) {
        Problem(std::string(kReaderInstaller) +
                " is missing: a customer without a PDF viewer cannot install the reader; add it.");
    } else {
        Ok(std::string(kReaderInstaller) + " is there.");
    }
}

void MediumCheck::CheckLibraries() {
    const std::string program = std::string("setup") + platform::ExecutableSuffix();
    const auto programKind = BinaryKind(PathOf(program));
    const bool listed = !m_context->form.Libraries.empty();
    // What the copy puts into the system folder, as the wizard decides it.
    const TForm1::LibrarySelection selection = m_context->form.SelectLibraries();
    for (const std::string& name : selection.missing) {
        Problem(name + " is listed in the key Libraries of VG_Setup.ini but does not lie "
                       "beside the program: the library step fails and nothing is unpacked; "
                       "add the file or take it off the list.");
    }
    for (const platform::DirEntry& entry : selection.unlisted) {
        if (!entry.isDirectory) {
            Note(entry.name + " lies beside the program but is not listed in the key Libraries of "
                              "VG_Setup.ini: it is not copied.");
        }
    }
    std::vector<std::string> copied;
    for (const platform::DirEntry& entry : selection.copied) {
        copied.push_back(entry.name);
    }
    const std::string engine = platform::EngineLibraryName();
    if (!listed &&
        std::none_of(copied.begin(), copied.end(), [&](const std::string& n) { return n != engine; })) {
        Note(std::string("No library file (") + platform::LibraryFilePattern() +
             ") but the engine lies beside the program: only the engine is copied into the "
             "system folder.");
    }
    for (const std::string& name : copied) {
        const auto kind = BinaryKind(PathOf(name));
        if (!kind) {
            Problem(name + " is no library of this system: the wizard copies it into the system "
                           "folder all the same; remove it or replace it.");
        } else if (programKind && *kind != *programKind) {
            Problem(name + " is " + *kind + " but " + program + " is " + *programKind +
                    ": ship the program and the libraries of the same bitness.");
        } else {
            Ok(name + " (" + *kind + ") is copied into the system folder.");
        }
    }
    if (!listed && !copied.empty()) {
        std::string line = "Libraries=";
        for (const std::string& name : copied) {
            line += (line.size() > 10 ? "," : "") + name;
        }
        Note("Every library file beside the program is copied into the system folder, also one "
             "that lands beside it later (a medium copied into a downloads folder): list the "
             "medium's own in VG_Setup.ini, section [ENVIROMENT]: " + line);
    }
}
