#include <functional>

#include <gtest/gtest.h>

#include "WizardFixture.h"

using testing_support::ReadBytes;
using testing_support::WizardFixture;

namespace {

class ManualTest : public WizardFixture {
protected:
    void WriteManuals(const std::string& folder) {
        for (const char* suffix : {"nld", "deu", "esp", "enu"}) {
            medium.Write(folder + "doc/installation_" + suffix + ".pdf", "%PDF-1.4");
        }
    }
    // A reader installer that leaves a mark when it runs.
    void WriteReaderInstaller(const std::string& folder) {
#ifdef _WIN32
        std::filesystem::create_directories(medium / (folder + "xtra/acrobat"));
        std::filesystem::copy_file(VG_LEAVE_MARK_PROGRAM, medium / (folder + "xtra/acrobat/AdobeReader.exe"));
#else
        const std::string path = medium.Write(folder + "xtra/acrobat/AdobeReader.exe",
                                              "#!/bin/sh\necho ran > \"$(dirname \"$0\")/ran\"\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
#endif
    }
};

TEST_F(ManualTest, SuffixFollowsTheRegionCode) {
    TForm1& w = Create();
    const std::pair<const char*, const char*> rows[] = {
        {"NL", "nld"}, {"DE", "deu"}, {"AUS", "deu"}, {"SPA", "esp"}, {"S_A", "esp"},
        {"UK", "enu"}, {"FR", "enu"}, {"PTB", "enu"}, {"UNG", "enu"}, {"GRC", "enu"},
        {"PLK", "enu"}, {"CSY", "enu"}, {"BRA", "enu"}, {"", "enu"}, {"nl", "enu"},
    };
    for (const auto& [code, suffix] : rows) {
        w.RegionCode = code;
        EXPECT_EQ(w.ManualLanguageSuffix(), suffix) << code;
    }
}

TEST_F(ManualTest, OpensTheManualOfTheRegionWithTheViewer) {
    WriteManuals("");
    TForm1& w = Create("DEA");
    // While the desktop starts its viewer the window shows the busy cursor
    // and keeps handling its events.
    std::vector<bool> busyWhileOpening;
    std::vector<bool> clickableWhileOpening;
    int eventsBefore = 0;
    shell.whileOpening = [&] {
        busyWhileOpening.push_back(port.Busy());
        clickableWhileOpening.push_back(w.btnStart.Enabled() || w.btnManual.Enabled() ||
                                        w.edtLanguages.Enabled());
        eventsBefore = port.ProcessEventsCalls();
    };
    ui::Click(w, "btnManual");
    EXPECT_EQ(busyWhileOpening, std::vector<bool>{true});
    EXPECT_EQ(clickableWhileOpening, std::vector<bool>{false}) << "no second click inside the wait";
    EXPECT_GT(port.ProcessEventsCalls(), eventsBefore);
    EXPECT_FALSE(port.Busy());
    EXPECT_TRUE(w.btnStart.Enabled() && w.btnManual.Enabled() && w.edtLanguages.Enabled());
    w.edtLanguages.Choose(3); // French: the English manual
    ui::Click(w, "btnManual");
    ASSERT_EQ(shell.opened.size(), 2u);
    EXPECT_EQ(shell.opened[0], medium / "doc/installation_deu.pdf");
    EXPECT_EQ(shell.opened[1], medium / "doc/installation_enu.pdf");
    EXPECT_TRUE(port.Boxes().empty());
}

TEST_F(ManualTest, MissingManualIsReportedInAPlainBox) {
    TForm1& w = Create("NLD");
    port.Answer(ui::MsgResult::Ok);
    ui::Click(w, "btnManual");
    ASSERT_EQ(port.Boxes().size(), 1u);
    const auto& box = port.Boxes()[0].request;
    EXPECT_EQ(box.text, translator.Translate("msgfilenotfound"));
    EXPECT_NE(box.text, "msgfilenotfound");
    EXPECT_EQ(box.caption, "Varnek Gerrix Morvellin setup");
    EXPECT_EQ(box.buttons, ui::MsgButtons::Ok);
    EXPECT_EQ(box.icon, ui::MsgIcon::None);
    EXPECT_TRUE(shell.opened.empty());
}

TEST_F(ManualTest, WithoutViewerOkRunsTheReaderInstallerWithTheWindowHidden) {
    // A program folder with a blank in it: the quoted path still starts the
    // installer and nothing else.
    const std::string folder = "my medium/";
    std::filesystem::create_directories(medium / folder);
    std::filesystem::copy(medium / "trans", medium / (folder + "trans"));
    WriteManuals(folder);
    WriteReaderInstaller(folder);
    shell.viewerAvailable = false;
    TForm1& w = Create("ENU", medium / "my medium");
    w.Show();
    std::vector<bool> changes;
    port.OnUpdate = [&](const ui::Control& control, ui::Aspect aspect) {
        if (&control == &w && aspect == ui::Aspect::Visible) {
            changes.push_back(w.Visible());
        }
    };
    port.Answer(ui::MsgResult::Ok);
    ui::Click(w, "btnManual");

    ASSERT_EQ(port.Boxes().size(), 1u);
    const auto& box = port.Boxes()[0].request;
    EXPECT_EQ(box.text, translator.Translate("msginstall_acrobat"));
    EXPECT_EQ(box.caption, "Information");
    EXPECT_EQ(box.buttons, ui::MsgButtons::OkCancel);
    EXPECT_EQ(box.icon, ui::MsgIcon::Information);
    EXPECT_EQ(ReadBytes(medium / "my medium/xtra/acrobat/ran"), "ran\n");
    EXPECT_EQ(changes, (std::vector<bool>{false, true}));
    EXPECT_EQ(shell.opened.size(), 1u) << "the manual is not opened again";
}

// An installer that cannot be started is named with the reason.
TEST_F(ManualTest, CancelRunsNothingAndAnInstallerThatCannotStartIsNamed) {
    WriteManuals("");
    shell.viewerAvailable = false;
    TForm1& w = Create();
    w.Show();
    port.Answer(ui::MsgResult::Cancel);
    ui::Click(w, "btnManual");
    EXPECT_TRUE(w.Visible());
    EXPECT_EQ(port.Boxes().size(), 1u);

    const std::string reader = medium / "xtra/acrobat/AdobeReader.exe";
    struct Case {
        const char* what;
        std::function<void()> plant;
    };
    const Case cases[] = {
        {"missing", [] {}},
        {"no program for this system",
         [&] {
             medium.Write("xtra/acrobat/AdobeReader.exe", "this is no program");
             std::filesystem::permissions(reader, std::filesystem::perms::owner_all,
                                          std::filesystem::perm_options::add);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.plant();
        const std::size_t before = port.Boxes().size();
        port.Answer(ui::MsgResult::Ok);
        port.Answer(ui::MsgResult::Ok);
        ui::Click(w, "btnManual");
        EXPECT_TRUE(w.Visible());
        ASSERT_EQ(port.Boxes().size(), before + 2);
        const auto& box = port.Boxes().back().request;
        EXPECT_EQ(box.text.rfind("Cannot start " + reader + ": ", 0), 0u) << box.text;
        EXPECT_GT(box.text.size(), ("Cannot start " + reader + ": .").size()) << "with the reason";
        EXPECT_EQ(box.icon, ui::MsgIcon::Error);
    }
}

TEST_F(ManualTest, AfterAFailedStartUpTheStartUpRegionStillChoosesTheManual) {
    WriteManuals("");
    std::filesystem::remove(medium / "trans/spain.mdl");
    port.Answer(ui::MsgResult::Ok);
    TForm1& w = Create("ESN");
    EXPECT_TRUE(w.edtLanguages.Items().empty());
    ui::Click(w, "btnManual");
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0], medium / "doc/installation_esp.pdf");
}

} // namespace
