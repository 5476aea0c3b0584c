#include <gtest/gtest.h>

#include "WizardFixture.h"
#include "platform/Registry.h"

using testing_support::ReadBytes;
using testing_support::WizardFixture;

namespace {

class LookupTest : public WizardFixture {
protected:
    void Settings(const std::string& registerVersion) {
        medium.Write("VG_Setup.ini", "[ENVIROMENT]\r\nRegisterVersion=" + registerVersion +
                                         "\r\nVersionZipName=Data\r\n");
    }
    void Registry(const std::string& setupKeyBody, bool writable = true) {
        registry = platform::RegistryFile::FromBytes(
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnek\\Gerrix\\16.0SR1\\Setup]\r\n" + setupKeyBody,
            writable);
    }
    std::vector<std::string> Log() const { return form->memoVoortgang.Lines(); }
};

TEST_F(LookupTest, FoundKeyFillsTheFieldsAndLogsThem) {
    Settings("16.0sr1");
    Registry("\"AppDir\"=\"/opt/gerrix/\"\r\n\"EnvDir\"=\"/srv/gerrix-env/\"\r\n\"Version\"=\"16.0\"\r\n");
    TForm1& w = Create();
    EXPECT_TRUE(w.LookupTargetInstallation());
    EXPECT_EQ(w.AppDir, "/opt/gerrix/");
    EXPECT_EQ(w.EnvDir, "/srv/gerrix-env/");
    EXPECT_EQ(w.Version, "16.0");
    EXPECT_EQ(Log(), (std::vector<std::string>{"- /opt/gerrix/", "- /srv/gerrix-env/", "- 16.0"}));
}

TEST_F(LookupTest, WithoutSettingsNoKeyIsFoundAndThreeEmptyLinesAreLogged) {
    Registry("\"AppDir\"=\"/opt/gerrix/\"\r\n");
    TForm1& w = Create();
    w.AppDir = "stale";
    EXPECT_FALSE(w.LookupTargetInstallation());
    EXPECT_EQ(w.AppDir, "");
    EXPECT_EQ(Log(), (std::vector<std::string>{"", "", ""}));
}

TEST_F(LookupTest, KeyWithOnlyAppDirIsStillFound) {
    Settings("16.0SR1");
    Registry("\"AppDir\"=\"/opt/gerrix/\"\r\n");
    TForm1& w = Create();
    EXPECT_TRUE(w.LookupTargetInstallation());
    EXPECT_EQ(Log(), (std::vector<std::string>{"- /opt/gerrix/", "", ""}));
}

TEST_F(LookupTest, KeyThatCannotBeOpenedForWritingCountsAsFoundWithoutValues) {
    Settings("16.0SR1");
    Registry("\"AppDir\"=\"/opt/gerrix/\"\r\n", false);
    TForm1& w = Create();
    EXPECT_TRUE(w.LookupTargetInstallation());
    EXPECT_EQ(w.AppDir, "");
    EXPECT_EQ(Log(), (std::vector<std::string>{"", "", ""}));
}

TEST_F(LookupTest, ExpandableStringsAreReadAsTheyAre) {
    Settings("16.0SR1");
    // "%ProgramData%\VG" as UTF-16LE bytes, as regedit exports REG_EXPAND_SZ.
    Registry("\"EnvDir\"=hex(2):25,00,50,00,72,00,6f,00,67,00,72,00,61,00,6d,00,44,00,61,00,\\\r\n"
             "  74,00,61,00,25,00,5c,00,56,00,47,00,00,00\r\n");
    TForm1& w = Create();
    EXPECT_TRUE(w.LookupTargetInstallation());
    EXPECT_EQ(w.EnvDir, "%ProgramData%\\VG");
}

TEST_F(LookupTest, ExportedUtf16FileOfWindowsIsRead) {
    Settings("16.0");
    registry = platform::RegistryFile::FromBytes(
        ReadBytes(VG_TEST_DATA_DIR "/registry/utf16le-export.reg"), true);
    TForm1& w = Create();
    EXPECT_TRUE(w.LookupTargetInstallation());
    EXPECT_EQ(w.AppDir, "C:\\Program Files\\Värnek\\Gerrix 16 – Δοκιμή");
    EXPECT_EQ(w.Version, "16.0.2");
}

TEST_F(LookupTest, ValueThatIsNoStringStopsWithItsMessage) {
    Settings("16.0SR1");
    Registry("\"AppDir\"=\"/opt/gerrix/\"\r\n\"EnvDir\"=dword:00000010\r\n");
    TForm1& w = Create();
    try {
        w.LookupTargetInstallation();
        FAIL() << "no error raised";
    } catch (const platform::RegistryError& error) {
        EXPECT_STREQ(error.what(), "Invalid data type for 'EnvDir'");
    }
    EXPECT_TRUE(Log().empty()) << "the lines are written only after all three values are read";
}

// The demo medium's settings lead to the demo target's registry entry, whose
// folders the build has made.
TEST_F(LookupTest, DemoMediumFindsTheDemoTarget) {
    medium.Write("VG_Setup.ini", ReadBytes(VG_DEMO_SETTINGS));
    registry = platform::RegistryFile(VG_DEMO_REGISTRY);
    TForm1& w = Create();
    EXPECT_EQ(w.VersionZipName, "Gerrix_16.0_data");
    ASSERT_TRUE(w.LookupTargetInstallation());
    EXPECT_TRUE(std::filesystem::is_directory(w.AppDir + w.Version));
    EXPECT_TRUE(std::filesystem::is_directory(w.EnvDir + w.Version + "/environments/"));
}

} // namespace
