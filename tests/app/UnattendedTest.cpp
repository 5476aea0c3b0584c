// Runs without a person, as a deployment tool starts them: nothing is shown
// to the scripted screen, every answer is logged under the line it belongs
// to, the log is saved whatever happens, and the exit code tells how it went.

#include <gtest/gtest.h>

#include "InstallFixture.h"
#include "app/SetupRun.h"
#include "zip/TProgressForm.h"

using testing_support::InstallTest;
using testing_support::ReadBytes;
using testing_support::ScopedEnv;
using testing_support::TempFolder;

namespace {

SetupOptions Quiet() {
    SetupOptions options;
    options.mode = RunMode::Quiet;
    return options;
}

std::string Saved(const std::vector<std::string>& lines) {
    std::string saved;
    for (const auto& line : lines) {
        saved += line + "\r\n";
    }
    return saved;
}

TEST_F(InstallTest, UnattendedAnswersAreLoggedUnderTheirLineAndTheRunFails) {
    std::filesystem::remove_all(target / "env/16.0/environments");
    TForm1& w = MakeUnattended();
    EXPECT_EQ(RunSetup(unattendedApp, w, Quiet()), ExitCode::InstallationFailed);
    EXPECT_TRUE(port.Boxes().empty()) << "a box reached the screen";
    const std::vector<std::string> expected{
        "- " + target / "app/", "- " + target / "env/", "- 16.0", "- " + T("msgCopyZipDll"),
        "- " + T("msgCopyDataToNewVarnekGerrix"), "- Unable to extract files to: [OK]",
        "- " + T("msgNotCopied") + "(" + medium / "environments.zip)",
        "- Unable to extract files to: \"" + target / "env/16.0/environments/" +
            "\" This folder does not exist.",
        "", "- " + T("msgCloseInstallation")};
    EXPECT_EQ(Log(), expected);
    EXPECT_TRUE(w.Closed());
    EXPECT_EQ(ReadBytes(target / "app/16.0/setup.log"), Saved(expected));
    EXPECT_EQ(ReadBytes(target / "app/16.0/readme.txt"), "version data");
}

// A person closing the window of a passive run cancels it; the log is saved
// all the same, for the deployment tool.
TEST_F(InstallTest, UnattendedRunClosedByAPersonIsCancelledAndKeepsItsLog) {
    Archive("Data.zip", {{"16.0/big.bin", std::string(8 * 1024 * 1024, 'b')}});
    TForm1& w = MakeUnattended();
    port.WhileProcessingEvents = [&] {
        if (w.ZipFile.ProgressDialog && !w.Closed()) {
            w.CloseByUser();
        }
    };
    SetupOptions passive;
    passive.mode = RunMode::Passive;
    EXPECT_EQ(RunSetup(unattendedApp, w, passive), ExitCode::CancelledByUser);
    EXPECT_TRUE(w.Closed());
    EXPECT_EQ(ReadBytes(target / "app/16.0/setup.log"), Saved(Log()));
    EXPECT_FALSE(std::filesystem::exists(target / "env/16.0/environments/Steel/LC1.xml"));
}

// The second log cannot be written (a file stands where its folder would
// be): the target's log is still saved, and the run counts as failed.
TEST_F(InstallTest, UnattendedRunWhoseLogCopyCannotBeWrittenFails) {
    medium.Write("blocked", "a file, not a folder");
    TForm1& w = MakeUnattended();
    SetupOptions options = Quiet();
    options.logPath = medium / "blocked/logs/vg.log";
    EXPECT_EQ(RunSetup(unattendedApp, w, options), ExitCode::InstallationFailed);
    const std::vector<std::string> lines = Log();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("- Cannot create file \"" + options.logPath + "\".", 0), 0u)
        << lines.back();
    EXPECT_EQ(ReadBytes(target / "app/16.0/setup.log"),
              Saved(std::vector<std::string>(lines.begin(), lines.end() - 1)));
}

// Without any translation file no language can be chosen and Start stays
// disabled: the error is answered and logged, nothing is installed, and the
// log goes to the folder for temporary files.
TEST_F(InstallTest, UnattendedRunWithoutALanguageDoesNotStart) {
    TempFolder temporary;
    const ScopedEnv tmpdir("TMPDIR", temporary.Path());
    const ScopedEnv tmp("TMP", temporary.Path());
    const ScopedEnv temp("TEMP", temporary.Path());
    std::filesystem::remove(medium / "trans/europe.mdl");
    TForm1& w = MakeUnattended();
    EXPECT_EQ(RunSetup(unattendedApp, w, Quiet()), ExitCode::InstallationFailed);
    const std::vector<std::string> expected{
        "- Translationfile not found! [OK]",
        "- The installation did not start: no language could be chosen."};
    EXPECT_EQ(Log(), expected);
    EXPECT_EQ(ReadBytes(temporary / "setup.log"), Saved(expected));
    EXPECT_FALSE(std::filesystem::exists(target / "app/16.0/readme.txt"));
}

// "lang" chooses as the list does: the log is written in that language.
TEST_F(InstallTest, UnattendedRunInTheChosenLanguage) {
    TForm1& w = MakeUnattended();
    SetupOptions options = Quiet();
    options.regionCode = "DE";
    EXPECT_EQ(RunSetup(unattendedApp, w, options), ExitCode::Success);
    EXPECT_EQ(w.RegionCode, "DE");
    TTranslator german{medium.Path()};
    german.LoadFile("germany.mdl");
    ASSERT_GE(Log().size(), 4u);
    EXPECT_EQ(Log()[3], "- " + german.Translate("msgCopyZipDll"));
}

} // namespace
