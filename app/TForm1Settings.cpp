// The setup settings file beside the program and the target installation
// in the registry.

#include <algorithm>

#include "app/TForm1.h"
#include "localization/IniFile.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFolder.h"
#include "platform/Registry.h"
#include "ui/Text.h"

namespace {

// "VG_Setup.ini", section "ENVIROMENT" (spelled so in every medium made):
//   RegisterVersion = the version name the target installation registered
//                     itself under; part of its registry key path
//   VersionZipName  = name of the version archive beside the program,
//                     without folder and extension
constexpr const char* kSettingsFile = "VG_Setup.ini";
constexpr const char* kSettingsSection = "ENVIROMENT";

// HKEY_LOCAL_MACHINE\SOFTWARE\Varnek\Gerrix\<RegisterVersion>\Setup holds
// the string values AppDir, EnvDir and Version of the installed program.
constexpr const char* kTargetKeyPrefix = "\\SOFTWARE\\Varnek\\Gerrix\\";
constexpr const char* kTargetKeySuffix = "\\Setup";

} // namespace

void TForm1::ReadSetupSettings() {
    RegisterVersion.clear();
    VersionZipName.clear();
    Libraries.clear();
    const std::string path = ProgramFolder + platform::PathSeparator() + kSettingsFile;
    if (!platform::FileExists(path)) {
        return;
    }
    const localization::IniFile ini(path, platform::CpAnsiWestern);
    if (!ini.HasSection(kSettingsSection)) {
        return;
    }
    RegisterVersion = ui::UpperAscii(ini.ReadString(kSettingsSection, "RegisterVersion"));
    VersionZipName = ini.ReadString(kSettingsSection, "VersionZipName");
    const std::string libraries = ini.ReadString(kSettingsSection, "Libraries");
    for (std::size_t start = 0; start <= libraries.size();) {
        const std::size_t comma = std::min(libraries.find(',', start), libraries.size());
        const std::string name = ui::Trim(std::string_view(libraries).substr(start, comma - start));
        if (!name.empty()) {
            Libraries.push_back(name);
        }
        start = comma + 1;
    }
}

std::string TForm1::TargetKeyPath() const {
    return kTargetKeyPrefix + RegisterVersion + kTargetKeySuffix;
}

bool TForm1::LookupTargetInstallation() {
    AppDir.clear();
    EnvDir.clear();
    Version.clear();
    bool found = true;
    const std::string key = TargetKeyPath();
    const platform::KeyAccess access = m_registry.OpenKey(key);
    m_targetAccess = access;
    if (access == platform::KeyAccess::NotFound) {
        found = false;
    } else if (access == platform::KeyAccess::Full) {
        const std::pair<const char*, std::string*> values[] = {
            {"AppDir", &AppDir}, {"EnvDir", &EnvDir}, {"Version", &Version}};
        for (const auto& [name, field] : values) {
            if (auto value = m_registry.ReadString(key, name)) {
                *field = *value;
            }
        }
    }
    AddLogLine(AppDir);
    AddLogLine(EnvDir);
    AddLogLine(Version);
    return found;
}
