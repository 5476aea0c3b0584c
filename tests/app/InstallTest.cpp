#include <algorithm>
#include <map>

#include <gtest/gtest.h>

#include "InstallFixture.h"
#include "zip/TProgressForm.h"

using testing_support::InstallTest;
using testing_support::kLibrary;
using testing_support::ReadBytes;
using testing_support::TempFolder;

namespace {

TEST_F(InstallTest, FullRunCopiesUnpacksAndLogsEveryStep) {
    TForm1& w = Create();
    ui::Click(w, "btnStart");
    EXPECT_TRUE(port.Boxes().empty());
    const std::vector<std::string> expected{
        "- " + target / "app/", "- " + target / "env/", "- 16.0", "- " + T("msgCopyZipDll"),
        "- " + T("msgCopyDataToNewVarnekGerrix"), "", "- " + T("msgCloseInstallation")};
    EXPECT_EQ(Log(), expected);
    EXPECT_EQ(ReadBytes(target / "system/vgone" + kLibrary), "library one");
    EXPECT_EQ(ReadBytes(target / "app/16.0/readme.txt"), "version data");
    EXPECT_EQ(ReadBytes(target / "env/16.0/environments/Steel/LC1.xml"), "<lc/>");

    EXPECT_EQ(w.Notebook1.PageIndex(), 1);
    EXPECT_FALSE(w.lbWelcome.Visible());
    EXPECT_TRUE(w.lbProgressHeader.Visible());
    EXPECT_TRUE(w.lbProgressText.Visible());
    EXPECT_FALSE(w.btnClose.Visible());
    EXPECT_TRUE(w.btnFinish.Visible());
    EXPECT_EQ(w.btnFinish.Caption(), T("btnClose"));

    ui::Click(w, "btnFinish");
    EXPECT_TRUE(w.Closed());
    std::string saved;
    for (const auto& line : expected) {
        saved += line + "\r\n";
    }
    EXPECT_EQ(ReadBytes(target / "app/16.0/setup.log"), saved);
    EXPECT_EQ(w.Outcome(), ExitCode::Success);
}

// Without a known target folder an archive is not unpacked, and the log
// says so with its failure line and the reason under it.
TEST_F(InstallTest, ArchivesWithoutATargetFolderGetFailureLinesWithTheReason) {
    const std::string key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnek\\Gerrix\\16.0\\Setup";
    struct Case {
        const char* what;
        std::string values;
        bool writable;
        std::vector<std::string> log;
    };
    // Placeholders for the texts of the loaded translation file.
    const std::string version = "version", environments = "environments", notFound = "not found",
                      noAccess = "no access", close = "close", copyLibraries = "copy libraries",
                      copyData = "copy data";
    const Case cases[] = {
        {"no key", "", true, {"", "", "", version, notFound, environments, notFound, "", close}},
        {"key without full access", "\"AppDir\"=\"x\"\r\n", false,
         {"", "", "", copyLibraries, copyData, version, noAccess, environments, noAccess, "", close}},
        {"no EnvDir", "\"AppDir\"=\"" + RegString(target / "app/") + "\"\r\n\"Version\"=\"16.0\"\r\n", true,
         {"- " + target / "app/", "", "- 16.0", copyLibraries, copyData, environments,
          "- The registry key " + key + " has no value \"EnvDir\".", "", close}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        registry = platform::RegistryFile::FromBytes(
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnek\\Gerrix\\16.0\\Setup]\r\n" + c.values,
            c.writable);
        if (c.values.empty()) {
            registry = platform::RegistryFile::FromBytes("", true);
        }
        TForm1& w = Create();
        const std::map<std::string, std::string> texts{
            {version, "- " + T("msgNotCopied") + " (" + medium / "Data.zip)"},
            {environments, "- " + T("msgNotCopied") + "(" + medium / "environments.zip)"},
            {notFound, "- The installation of version \"16.0\" was not found in the registry: "
                       "there is no key " + key + "."},
            {noAccess, "- The registry key " + key +
                           " could not be opened with full access: run the setup as administrator."},
            {close, "- " + T("msgCloseInstallation")},
            {copyLibraries, "- " + T("msgCopyZipDll")},
            {copyData, "- " + T("msgCopyDataToNewVarnekGerrix")}};
        std::vector<std::string> expected;
        for (const std::string& line : c.log) {
            expected.push_back(texts.contains(line) ? texts.at(line) : line);
        }
        ui::Click(w, "btnStart");
        EXPECT_EQ(Log(), expected);
        EXPECT_TRUE(w.btnFinish.Visible());
    }
    EXPECT_FALSE(std::filesystem::exists(target / "env/16.0/environments/Default"));
}

// With no target folder, Finish saves the log in the folder for temporary
// files and closes the window, never at the root of the file system.
TEST_F(InstallTest, WithoutATargetTheLogGoesToTheTemporaryFolder) {
    TempFolder temporary;
    // The folder for temporary files of either system: TMPDIR on Linux,
    // TMP (then TEMP) on Windows.
    const testing_support::ScopedEnv tmpdir("TMPDIR", temporary.Path());
    const testing_support::ScopedEnv tmp("TMP", temporary.Path());
    const testing_support::ScopedEnv temp("TEMP", temporary.Path());
    registry = platform::RegistryFile::FromBytes("", true);
    TForm1& w = Create();
    ui::Click(w, "btnStart");
    ui::Click(w, "btnFinish");
    EXPECT_TRUE(w.Closed());
    EXPECT_TRUE(port.Boxes().empty());
    std::string expected;
    for (const auto& line : Log()) {
        expected += line + "\r\n";
    }
    EXPECT_EQ(ReadBytes(temporary / "setup.log"), expected);
    EXPECT_FALSE(std::filesystem::exists(target / "system"));
}

// The copy window speaks the chosen language where the translation file
// carries its texts, and English where it does not (never a section name).
TEST_F(InstallTest, TheCopyWindowSpeaksTheChosenLanguage) {
    struct Case {
        const char* what;
        bool withTexts;
        std::string cancel;
        std::string copying;
    };
    const Case cases[] = {
        {"German file with the copy texts", true, "Abbrechen", "Kopieren von "},
        {"German file without them", false, "Cancel", "Copying "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.withTexts) {
            std::string text = ReadBytes(medium / "trans/germany.mdl");
            for (const char* key : {"[msgCopyFrom]", "[msgCopyCancel]"}) {
                text.replace(text.find(key), std::string(key).size(), "[unused]");
            }
            medium.Write("trans/germany.mdl", text);
        }
        std::string cancel;
        std::string copying;
        port.OnRealize = [&](ui::Form& form) {
            if (form.Name() == "CopyProgressDialog") {
                cancel = static_cast<ui::Button*>(form.FindComponent("btnCancel"))->Caption();
            }
        };
        port.OnUpdate = [&](const ui::Control& control, ui::Aspect) {
            if (control.Name() == "lbAction" && !control.Caption().empty()) {
                copying = control.Caption();
            }
        };
        TForm1& w = Create("DEU");
        ui::Click(w, "btnStart");
        port.OnRealize = nullptr;
        port.OnUpdate = nullptr;
        EXPECT_EQ(cancel, c.cancel);
        EXPECT_EQ(copying.rfind(c.copying, 0), 0u) << copying;
    }
}

TEST_F(InstallTest, WithoutLibrariesTheArchivesAreNotTouched) {
    std::filesystem::remove(medium / "vgone" + kLibrary);
    std::filesystem::remove(medium / "vgtwo" + kLibrary);
    TForm1& w = Create();
    ui::Click(w, "btnStart");
    const auto log = Log();
    ASSERT_EQ(log.size(), 8u);
    EXPECT_EQ(log[3], "- " + T("msgCopyZipDll"));
    EXPECT_EQ(log[4], "- " + T("msgNotCopied") + " (" + medium / ("*" + kLibrary) + ")");
    EXPECT_EQ(log[5], "- No file matches " + medium / ("*" + kLibrary) + ".");
    EXPECT_EQ(log[6], "");
    EXPECT_FALSE(std::filesystem::exists(target / "app/16.0/readme.txt"));
}

TEST_F(InstallTest, BrokenArchivesGiveTheirFailureLines) {
    medium.Write("Data.zip", "this is no zip archive");
    medium.Write("environments.zip", "neither is this");
    TForm1& w = Create();
    ui::Click(w, "btnStart");
    const auto log = Log();
    ASSERT_EQ(log.size(), 11u);
    EXPECT_EQ(log[5], "- " + T("msgNotCopied") + " (" + medium / "Data.zip)");
    EXPECT_EQ(log[6], "- \"" + medium / "Data.zip\" is not a valid Zip file.")
        << "the component's reason, its line break turned into a blank";
    EXPECT_EQ(log[7], "- " + T("msgNotCopied") + "(" + medium / "environments.zip)")
        << "no blank before the parenthesis in this line";
    EXPECT_EQ(log[8], "- \"" + medium / "environments.zip\" is not a valid Zip file.");
    EXPECT_EQ(log[10], "- " + T("msgCloseInstallation"));
}

TEST_F(InstallTest, MissingArchivesInAWritableMediumBecomeEmptyArchives) {
    std::filesystem::remove(medium / "environments.zip");
    medium.Write("VG_Setup.ini", "[ENVIROMENT]\r\nRegisterVersion=16.0\r\n");
    TForm1& w = Create();
    ui::Click(w, "btnStart");
    const std::string empty = std::string("PK\x05\x06", 4) + std::string(18, '\0');
    EXPECT_EQ(ReadBytes(medium / ".zip"), empty) << "an empty VersionZipName leaves the bare extension";
    EXPECT_EQ(ReadBytes(medium / "environments.zip"), empty);
    EXPECT_EQ(Log().size(), 7u) << "no failure line";
}

TEST_F(InstallTest, ArchiveThatCannotBeCreatedIsAFailureAndTheRunGoesOn) {
    medium.Write("VG_Setup.ini", "[ENVIROMENT]\r\nRegisterVersion=16.0\r\n");
    std::filesystem::create_directories(medium / ".zip"); // a folder where the archive would go
    TForm1& w = Create();
    ui::Click(w, "btnStart");
    const auto log = Log();
    ASSERT_EQ(log.size(), 9u);
    EXPECT_EQ(log[5], "- " + T("msgNotCopied") + " (" + medium / ".zip)");
    EXPECT_EQ(log[6], "- Unable to create \"" + medium / ".zip\"");
    EXPECT_EQ(ReadBytes(target / "env/16.0/environments/Default/settings.ini"), "[Environment]");
}

// With the key Libraries exactly the listed files are copied: a library
// that lies beside the program unlisted (planted in a downloads folder) is
// left alone and named in the log; a listed one that is missing fails.
TEST_F(InstallTest, TheSettingsFileListsTheLibrariesToCopy) {
    medium.Write("vgplanted" + kLibrary, "planted");
    medium.Write("VG_Setup.ini", "[ENVIROMENT]\r\nRegisterVersion=16.0\r\nVersionZipName=Data\r\n"
                                 "Libraries= vgone" + kLibrary + " \r\n");
    TForm1& w = Create();
    ui::Click(w, "btnStart");
    EXPECT_EQ(ReadBytes(target / "system/vgone" + kLibrary), "library one");
    EXPECT_FALSE(std::filesystem::exists(target / "system/vgtwo" + kLibrary));
    EXPECT_FALSE(std::filesystem::exists(target / "system/vgplanted" + kLibrary));
    const auto log = Log();
    for (const char* name : {"vgplanted", "vgtwo"}) {
        EXPECT_NE(std::find(log.begin(), log.end(),
                            "- " + medium / (name + kLibrary) +
                                " is not listed in the key Libraries of VG_Setup.ini: it is not copied."),
                  log.end())
            << name;
    }
    EXPECT_EQ(ReadBytes(target / "app/16.0/readme.txt"), "version data");
    EXPECT_EQ(w.Outcome(), ExitCode::Success) << "the unlisted libraries are no failure";

    medium.Write("VG_Setup.ini", "[ENVIROMENT]\r\nRegisterVersion=16.0\r\nVersionZipName=Data\r\n"
                                 "Libraries=vgone" + kLibrary + ",vgthree" + kLibrary + "\r\n");
    std::filesystem::remove_all(target / "app/16.0/codes");
    TForm1& second = Create();
    ui::Click(second, "btnStart");
    const auto failed = Log();
    const auto line = std::find(failed.begin(), failed.end(),
                                "- " + T("msgNotCopied") + " (" + medium / "vgthree" + kLibrary + ")");
    ASSERT_NE(line, failed.end());
    EXPECT_EQ(*(line + 1), "- It is listed in the key Libraries of VG_Setup.ini but does not lie "
                           "beside the program.");
    EXPECT_FALSE(std::filesystem::exists(target / "app/16.0/codes")) << "archives after a failed copy";
}

// A library of the medium that would replace a file the system protects is
// never copied over it; the others are.
TEST_F(InstallTest, AFileTheSystemProtectsIsNeverReplaced) {
    const std::string guarded = target.Write("system/vgone" + kLibrary, "the system's own");
    protection.protectedPaths = {guarded};
    TForm1& w = Create();
    ui::Click(w, "btnStart");
    EXPECT_EQ(ReadBytes(guarded), "the system's own");
    EXPECT_EQ(ReadBytes(target / "system/vgtwo" + kLibrary), "library two");
    const auto log = Log();
    const auto line = std::find(log.begin(), log.end(),
                                "- " + T("msgNotCopied") + " (" + medium / "vgone" + kLibrary + ")");
    ASSERT_NE(line, log.end());
    EXPECT_EQ(*(line + 1), "- The system protects " + guarded + ": it is not replaced.");
    EXPECT_EQ(w.Outcome(), ExitCode::InstallationFailed);
}

// The box is gone once answered; the log keeps that nothing was unpacked,
// and the run does not count as complete.
TEST_F(InstallTest, AMissingExtractionFolderIsABoxAndAFailureLine) {
    std::filesystem::remove_all(target / "env/16.0/environments");
    TForm1& second = Create();
    port.Answer(ui::MsgResult::Ok);
    ui::Click(second, "btnStart");
    const std::string box = "Unable to extract files to:\n\"" + target / "env/16.0/environments/" +
                            "\"\nThis folder does not exist.";
    ASSERT_EQ(port.Boxes().size(), 1u);
    EXPECT_EQ(port.Boxes()[0].request.text, box);
    ASSERT_EQ(Log().size(), 9u);
    EXPECT_EQ(Log()[5], "- " + T("msgNotCopied") + "(" + medium / "environments.zip)");
    EXPECT_EQ(Log()[6], "- Unable to extract files to: \"" + target / "env/16.0/environments/" +
                            "\" This folder does not exist.");
    EXPECT_EQ(second.Outcome(), ExitCode::InstallationFailed);
}

TEST_F(InstallTest, ValueThatIsNoStringStopsTheRunWithoutFinish) {
    Registry("\"AppDir\"=dword:00000001\r\n");
    TForm1& w = Create();
    port.Answer(ui::MsgResult::Ok);
    ui::Click(w, "btnStart");
    ASSERT_EQ(port.Boxes().size(), 1u);
    EXPECT_EQ(port.Boxes()[0].request.text, "Invalid data type for 'AppDir'");
    EXPECT_EQ(w.Notebook1.PageIndex(), 1);
    EXPECT_FALSE(w.btnFinish.Visible());
    EXPECT_FALSE(w.btnClose.Visible());
    EXPECT_TRUE(Log().empty());
    EXPECT_EQ(w.Outcome(), ExitCode::InstallationFailed);
}

TEST_F(InstallTest, ClosingTheWindowDuringExtractionStopsItAndEndsTheProgram) {
    // An existing file the extraction would replace stays as it was.
    target.Write("app/16.0/readme.txt", "old version data");
    Archive("Data.zip", {{"16.0/big.bin", std::string(8 * 1024 * 1024, 'b')},
                         {"16.0/readme.txt", "version data"}});
    TForm1& w = Create();
    bool closed = false;
    port.WhileProcessingEvents = [&] {
        if (!closed && w.ZipFile.ProgressDialog) {
            closed = true;
            w.CloseByUser();
            EXPECT_FALSE(w.Closed()) << "the window waits for the engine";
        }
    };
    ui::Click(w, "btnStart");
    EXPECT_TRUE(closed);
    EXPECT_TRUE(w.Closed());
    EXPECT_TRUE(port.TerminateRequested());
    EXPECT_FALSE(w.btnFinish.Visible());
    EXPECT_EQ(w.Outcome(), ExitCode::CancelledByUser);
    EXPECT_EQ(ReadBytes(target / "app/16.0/readme.txt"), "old version data");
    for (const auto& entry : std::filesystem::recursive_directory_iterator(target / "app")) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "16.0" || name == "readme.txt" || name == "big.bin") << name;
    }
    EXPECT_FALSE(std::filesystem::exists(target / "env/16.0/environments/Default"))
        << "the environments are not started after the close";
}

} // namespace
