#include <gtest/gtest.h>

#include "WizardFixture.h"
#include "ui/Bevel.h"

using testing_support::WizardFixture;

namespace {

class StartupTest : public WizardFixture {};

TEST_F(StartupTest, GermanMachineGetsTheGermanWindow) {
    TForm1& w = Create("DEU");
    EXPECT_TRUE(port.Boxes().empty());
    EXPECT_EQ(w.RegionCode, "DE");
    EXPECT_EQ(w.ProgramFolder, medium.Path());
    EXPECT_EQ(w.Caption(), translator.Translate("msgTitleBar"));
    EXPECT_NE(w.Caption(), "msgTitleBar");
    EXPECT_EQ(w.btnStart.Caption(), "Starten");
    EXPECT_EQ(w.btnClose.Caption(), "Schließen");
    EXPECT_EQ(w.lbSelectLanguage.Caption(), translator.Translate("lbSelectLanguage"));

    ASSERT_EQ(w.edtLanguages.Items().size(), 12u);
    EXPECT_EQ(w.edtLanguages.Items()[2], "Deutsch");
    EXPECT_EQ(w.edtLanguages.ItemIndex(), 2);
    EXPECT_EQ(w.edtLanguages.DropDownCount(), 12);
    EXPECT_TRUE(w.btnStart.Enabled());

    EXPECT_EQ(w.Notebook1.PageIndex(), 0);
    EXPECT_TRUE(w.btnClose.Visible());
    EXPECT_FALSE(w.btnFinish.Visible());
    EXPECT_FALSE(w.lbProgressHeader.Visible());
    EXPECT_FALSE(w.lbProgressText.Visible());
    EXPECT_TRUE(w.lbWelcome.Visible());
}

TEST_F(StartupTest, MissingTranslationShowsTheErrorBeforeTheWindowAndKeepsDesignCaptions) {
    std::filesystem::remove(medium / "trans/poland.mdl");
    medium.Write("VG_Setup.ini", "[ENVIROMENT]\r\nRegisterVersion=16.0\r\n");
    port.Answer(ui::MsgResult::Ok);
    TForm1& w = Create("PLK");

    ASSERT_EQ(port.Boxes().size(), 1u);
    const auto& box = port.Boxes()[0].request;
    EXPECT_EQ(box.text, "Translationfile not found!");
    EXPECT_EQ(box.caption, "Varnek Gerrix Morvellin setup");
    EXPECT_EQ(box.icon, ui::MsgIcon::Error);
    EXPECT_EQ(box.buttons, ui::MsgButtons::Ok);
    EXPECT_FALSE(w.Visible()) << "the window appears only after the error box";

    EXPECT_EQ(w.RegionCode, "PLK");
    EXPECT_EQ(w.btnStart.Caption(), "btnStart");
    EXPECT_EQ(w.lbWelcome.Caption(), "lbWelcome");
    EXPECT_EQ(w.Caption(), "Form1");
    EXPECT_TRUE(w.edtLanguages.Items().empty());
    EXPECT_FALSE(w.btnStart.Enabled());
    EXPECT_EQ(w.RegisterVersion, "") << "the settings are read after the translation";

    port.WhileRunning = [&] { EXPECT_TRUE(w.Visible()); ui::Click(w, "btnClose"); };
    app.Run();
    EXPECT_TRUE(app.Terminated());
}

TEST_F(StartupTest, ErrorBoxAddsAFullStopOnlyAfterCharactersSortingAfterIt) {
    const std::pair<std::string, std::string> rows[] = {
        {"Translationfile not found!", "Translationfile not found!"},
        {"Property Colour does not exist", "Property Colour does not exist."},
        {"Ends with a stop.", "Ends with a stop."},
        {"Ends with a digit 7", "Ends with a digit 7."},
        {"In brackets (x)", "In brackets (x)"},
        {"Ελληνικά", "Ελληνικά."},
        {"", ""},
    };
    for (const auto& [message, shown] : rows) {
        EXPECT_EQ(ui::ErrorBoxText(message), shown) << message;
    }
}

TEST_F(StartupTest, CloseEndsTheProgramWithoutWritingALog) {
    TForm1& w = Create();
    w.AppDir = medium / "";
    w.Version = "v";
    std::filesystem::create_directories(medium / "v");
    port.WhileRunning = [&] { ui::Click(w, "btnClose"); };
    app.Run();
    EXPECT_TRUE(app.Terminated());
    EXPECT_FALSE(std::filesystem::exists(medium / "v/setup.log"));
}

TEST_F(StartupTest, SettingsAreReadWithoutRegardToCase) {
    medium.Write("VG_Setup.ini",
                 "[enviroment]\r\nregisterversion = 16.0sr1\r\nversionzipname=Data_16.0sr1\r\n");
    TForm1& w = Create();
    EXPECT_EQ(w.RegisterVersion, "16.0SR1");
    EXPECT_EQ(w.VersionZipName, "Data_16.0sr1");
}

TEST_F(StartupTest, SettingsStayEmptyWithoutFileOrSection) {
    TForm1& w = Create();
    EXPECT_EQ(w.RegisterVersion, "");
    medium.Write("VG_Setup.ini", "[ENVIRONMENT]\r\nRegisterVersion=16.0\r\n");
    w.RegisterVersion = "old";
    w.VersionZipName = "old";
    w.ReadSetupSettings();
    EXPECT_EQ(w.RegisterVersion, "");
    EXPECT_EQ(w.VersionZipName, "");
}

// The layout as designed: names, places, sizes at 96 dpi and focus order.
TEST_F(StartupTest, LayoutMatchesTheDesign) {
    TForm1& w = Create();
    struct Row {
        const char* name;
        int left, top, width, height;
    };
    const Row rows[] = {
        {"Image1", 0, 0, 600, 121},          {"lbWelcome", 131, 80, 337, 42},
        {"lbProgressHeader", 131, 75, 337, 16}, {"lbProgressText", 131, 90, 337, 33},
        {"Bevel1", 0, 327, 600, 2},          {"Panel1", 0, 329, 600, 33},
        {"btnClose", 8, 5, 75, 25},          {"btnFinish", 512, 6, 75, 23},
        {"Notebook1", 0, 121, 600, 206},     {"lbWelcomeText", 131, 9, 337, 107},
        {"Bevel3", 131, 4, 337, 2},          {"lbSelectLanguage", 131, 123, 337, 25},
        {"btnManual", 192, 174, 103, 25},    {"btnStart", 304, 174, 103, 25},
        {"Panel6", 0, 0, 600, 277},          {"Bevel7", 41, 0, 517, 2},
        {"memoVoortgang", 41, 8, 517, 185},
    };
    for (const Row& row : rows) {
        const ui::Bounds b = ui::FindControl(w, row.name).GetBounds();
        EXPECT_EQ(b.left, row.left) << row.name;
        EXPECT_EQ(b.top, row.top) << row.name;
        EXPECT_EQ(b.width, row.width) << row.name;
        EXPECT_EQ(b.height, row.height) << row.name;
    }
    EXPECT_EQ(w.GetBounds().width, 600);
    EXPECT_EQ(w.GetBounds().height, 362);
    EXPECT_EQ(w.edtLanguages.GetBounds().left, 192);
    EXPECT_EQ(w.edtLanguages.GetBounds().width, 215);
    EXPECT_LT(w.btnStart.TabOrder(), w.edtLanguages.TabOrder());
    EXPECT_LT(w.edtLanguages.TabOrder(), w.btnManual.TabOrder());
    EXPECT_LT(w.btnFinish.TabOrder(), w.btnClose.TabOrder());
    EXPECT_EQ(w.Notebook1.Pages().size(), 2u);
    EXPECT_EQ(w.PageSelectLanguage.Caption(), "Select Language");
    EXPECT_EQ(w.PageProgress.Caption(), "Progress");
    EXPECT_EQ(w.Panel7.OwnColor().value_or(0), ui::ColorWhite);
    EXPECT_EQ(w.Panel6.OwnColor().value_or(0), ui::ColorWhite);
    EXPECT_EQ(w.lbWelcome.EffectiveFont().pixelHeight, 16);
    EXPECT_TRUE(w.lbWelcome.EffectiveFont().bold);
    EXPECT_EQ(w.btnManual.EffectiveFont().family, "MS Sans Serif");
    EXPECT_EQ(w.memoVoortgang.EffectiveFont().pixelHeight, 13);
}

} // namespace
