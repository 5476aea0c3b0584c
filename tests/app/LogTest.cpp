#include <algorithm>

#include <gtest/gtest.h>

#include "WizardFixture.h"

using testing_support::ReadBytes;
using testing_support::WizardFixture;

namespace {

class LogTest : public WizardFixture {};

TEST_F(LogTest, LinesArePrefixedAndEachIsPaintedAtOnce) {
    TForm1& w = Create();
    int repaintsSeen = 0;
    port.OnUpdate = [&](const ui::Control& control, ui::Aspect aspect) {
        if (&control == &w.memoVoortgang && aspect == ui::Aspect::Repaint) {
            ++repaintsSeen;
            EXPECT_EQ(static_cast<int>(w.memoVoortgang.Lines().size()), repaintsSeen)
                << "the line is in the memo before it is painted";
        }
    };
    w.AddLogLine("/opt/vg/");
    w.AddLogLine("");
    w.AddLogLine("Kopiëren");
    const std::vector<std::string> expected{"- /opt/vg/", "", "- Kopiëren"};
    EXPECT_EQ(w.memoVoortgang.Lines(), expected);
    EXPECT_EQ(repaintsSeen, 3);
}

TEST_F(LogTest, SaveLogWritesUtf8WithCrLfAndReplacesTheOldFile) {
    TForm1& w = Create();
    w.AppDir = medium / "app/";
    w.Version = "16.0";
    const std::string old(5000, 'x');
    medium.Write("app/16.0/setup.log", old);
    w.AddLogLine("Ελληνικά");
    w.AddLogLine("");
    w.AddLogLine("done");
    w.SaveLog();
    EXPECT_EQ(ReadBytes(medium / "app/16.0/setup.log"), "- Ελληνικά\r\n\r\n- done\r\n");
}

TEST_F(LogTest, VersionRunsIntoAppDirWithoutSeparator) {
    TForm1& w = Create();
    w.AppDir = medium / "app";
    w.Version = "16.0";
    std::filesystem::create_directories(medium / "app16.0");
    w.SaveLog();
    EXPECT_TRUE(std::filesystem::exists(medium / "app16.0/setup.log"));
}

TEST_F(LogTest, FinishSavesTheLogAndClosesTheWindow) {
    TForm1& w = Create();
    w.AppDir = medium / "";
    w.Version = "v";
    std::filesystem::create_directories(medium / "v");
    w.AddLogLine("line");
    w.btnFinish.Show();
    port.WhileRunning = [&] { ui::Click(w, "btnFinish"); };
    app.Run();
    EXPECT_TRUE(w.Closed());
    EXPECT_TRUE(port.TerminateRequested());
    EXPECT_EQ(ReadBytes(medium / "v/setup.log"), "- line\r\n");
}

TEST_F(LogTest, FinishKeepsTheWindowOpenWhenTheLogCannotBeWritten) {
    TForm1& w = Create();
    w.AppDir = medium / "missing/";
    w.Version = "16.0";
    w.btnFinish.Show();
    port.Answer(ui::MsgResult::Ok);
    ui::Click(w, "btnFinish");
    ASSERT_EQ(port.Boxes().size(), 1u);
    const std::string path = medium / "missing/16.0/setup.log";
#ifdef _WIN32
    const std::string reason = "Path not found"; // the system's own words
#else
    const std::string reason = "No such file or directory";
#endif
    EXPECT_EQ(port.Boxes()[0].request.text, "Cannot create file \"" + path + "\". " + reason + ".");
    EXPECT_EQ(port.Boxes()[0].request.caption, "Varnek Gerrix Morvellin setup");
    EXPECT_FALSE(w.Closed());
    EXPECT_FALSE(port.TerminateRequested());
}

} // namespace
