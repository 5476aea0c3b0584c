// The setup settings file beside the program.

#include "app/TForm1.h"
#include "localization/IniFile.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFolder.h"

namespace {

// "VG_Setup.ini", section "ENVIROMENT" (spelled so in every medium made):
//   RegisterVersion = the version name the target installation registered
//                     itself under; part of its registry key path
//   VersionZipName  = name of the version archive beside the program,
//                     without folder and extension
constexpr const char* kSettingsFile = "VG_Setup.ini";
constexpr const char* kSettingsSection = "ENVIROMENT";

std::string UpperCaseAToZ(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

} // namespace

void TForm1::ReadSetupSettings() {
    RegisterVersion.clear();
    VersionZipName.clear();
    const std::string path = ProgramFolder + platform::PathSeparator() + kSettingsFile;
    if (!platform::FileExists(path)) {
        return;
    }
    const localization::IniFile ini(path, platform::CpAnsiWestern);
    if (!ini.HasSection(kSettingsSection)) {
        return;
    }
    RegisterVersion = UpperCaseAToZ(ini.ReadString(kSettingsSection, "RegisterVersion"));
    VersionZipName = ini.ReadString(kSettingsSection, "VersionZipName");
}
