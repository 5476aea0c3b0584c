#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "../support/Environment.h"
#include "../support/StoredZip.h"

#include "WizardFixture.h"
#include "platform/SystemFolder.h"

namespace testing_support {

// The ending of the library files the wizard copies: ".so", ".dll".
inline const std::string kLibrary = std::string(platform::LibraryFilePattern()).substr(1);

// A medium with libraries and both archives, a target installation in the
// registry and a system folder, all in temporary folders.
class InstallTest : public WizardFixture {
protected:
    TempFolder target;
    std::string oldSystemDir;

    void SetUp() override {
        WizardFixture::SetUp();
        const char* old = std::getenv("VG_SYSTEM_DIR");
        oldSystemDir = old != nullptr ? old : "";
        testing_support::SetEnv("VG_SYSTEM_DIR", (target / "system").c_str());
        medium.Write("VG_Setup.ini", "[ENVIROMENT]\r\nRegisterVersion=16.0\r\nVersionZipName=Data\r\n");
        medium.Write("vgone" + kLibrary, "library one");
        medium.Write("vgtwo" + kLibrary, "library two");
        Archive("Data.zip", {{"16.0/codes/part-1.xml", "<code/>"}, {"16.0/readme.txt", "version data"}});
        Archive("environments.zip", {{"Default/settings.ini", "[Environment]"}, {"Steel/LC1.xml", "<lc/>"}});
        std::filesystem::create_directories(target / "env/16.0/environments");
        std::filesystem::create_directories(target / "app/16.0");
        Registry("\"AppDir\"=\"" + RegString(target / "app/") + "\"\r\n\"EnvDir\"=\"" + RegString(target / "env/") +
                 "\"\r\n\"Version\"=\"16.0\"\r\n");
    }
    void TearDown() override {
        testing_support::SetEnv("VG_SYSTEM_DIR", oldSystemDir.c_str());
        std::filesystem::current_path(std::filesystem::temp_directory_path());
        WizardFixture::TearDown();
    }

    // Packs the files with Info-ZIP's zip, as the medium's archives are made;
    // on Windows, which has no zip command, as a stored archive.
    void Archive(const std::string& name, const std::vector<std::pair<std::string, std::string>>& files) {
#ifdef _WIN32
        medium.Write(name, testing_support::StoredZip(files));
        return;
#endif
        TempFolder content;
        for (const auto& [path, text] : files) {
            content.Write(path, text);
        }
        std::filesystem::remove(medium / name);
        const std::string command =
            "cd '" + content.Path() + "' && zip -q -r -X '" + (medium / name) + "' .";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    // A folder as a registry file's string holds it.
    static std::string RegString(const std::string& text) {
        std::string out;
        for (char c : text) {
            out += c == '\\' ? std::string("\\\\") : std::string(1, c);
        }
        return out;
    }
    void Registry(const std::string& values) {
        registry = platform::RegistryFile::FromBytes(
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnek\\Gerrix\\16.0\\Setup]\r\n" + values, true);
    }
    std::string T(const char* key) const { return translator.Translate(key); }
    std::vector<std::string> Log() const { return form->memoVoortgang.Lines(); }
};

} // namespace testing_support
