#include <gtest/gtest.h>

#include "WizardFixture.h"

using testing_support::WizardFixture;

namespace {

class LanguageTest : public WizardFixture {};

TEST_F(LanguageTest, RegionCodeFollowsTheAbbreviationTable) {
    const std::pair<const char*, const char*> rows[] = {
        {"NLD", "NL"}, {"DEU", "DE"}, {"ENG", "UK"}, {"ENU", "UK"}, {"ESN", "SPA"},
        {"ESP", "SPA"}, {"FRA", "FR"}, {"PTB", "PTB"}, {"PTG", "PTB"}, {"DEA", "AUS"},
        {"HUN", "UNG"}, {"GRC", "GRC"}, {"COL", "PTB"}, {"POL", "PLK"}, {"CZH", "CSY"},
        // What Greek, Polish and Czech machines really report.
        {"ELL", "GRC"}, {"PLK", "PLK"}, {"CSY", "CSY"},
        // Anything else starts in English.
        {"ITA", "UK"}, {"DES", "UK"}, {"NLB", "UK"}, {"", "UK"}, {"deu", "UK"},
    };
    TForm1& w = Create();
    for (const auto& [abbreviation, code] : rows) {
        locale.abbreviation = abbreviation;
        EXPECT_EQ(w.DetectRegionCode(), code) << abbreviation;
    }
}

TEST_F(LanguageTest, EachStartLanguageSelectsItsEntry) {
    const std::tuple<const char*, int, const char*> rows[] = {
        {"ENU", 1, "English (International)"}, {"COL", 5, "Português"},
        {"ELL", 8, "Ελληνικά"}, {"PLK", 10, "Polski"}, {"CSY", 11, "Čeština"},
        {"ITA", 1, "English (International)"},
    };
    for (const auto& [abbreviation, entry, text] : rows) {
        TForm1& w = Create(abbreviation);
        EXPECT_EQ(w.edtLanguages.ItemIndex(), entry) << abbreviation;
        EXPECT_EQ(w.edtLanguages.Text(), text) << abbreviation;
        EXPECT_TRUE(w.btnStart.Enabled());
    }
}

TEST_F(LanguageTest, SelectingACodeOutsideTheListStillEnablesStart) {
    TForm1& w = Create();
    w.edtLanguages.SetItemIndex(-1);
    w.btnStart.SetEnabled(false);
    w.SelectLanguageEntry("BRA");
    EXPECT_EQ(w.edtLanguages.ItemIndex(), -1);
    EXPECT_TRUE(w.btnStart.Enabled());
    w.btnStart.SetEnabled(false);
    w.SelectLanguageEntry("  ");
    EXPECT_FALSE(w.btnStart.Enabled());
}

TEST_F(LanguageTest, ChoosingAnotherLanguageTranslatesTheWindowButNotTheList) {
    TForm1& w = Create("DEU");
    const auto startTexts = w.edtLanguages.Items();
    w.edtLanguages.Choose(3); // French
    EXPECT_TRUE(port.Boxes().empty());
    EXPECT_EQ(w.RegionCode, "FR");
    EXPECT_EQ(w.btnClose.Caption(), "Fermer");
    EXPECT_EQ(w.Caption(), translator.Translate("titlebar"));
    EXPECT_EQ(w.edtLanguages.Items(), startTexts);
    EXPECT_TRUE(w.btnStart.Enabled());
}

TEST_F(LanguageTest, EveryListEntryLoadsItsFile) {
    TForm1& w = Create();
    const char* codes[] = {"NL", "UK", "DE", "FR", "SPA", "PTB", "AUS", "UNG", "GRC", "S_A", "PLK", "CSY"};
    for (int i = 0; i < 12; ++i) {
        w.edtLanguages.Choose(i);
        EXPECT_EQ(w.RegionCode, codes[i]);
        EXPECT_NE(w.Caption(), "titlebar") << codes[i];
        EXPECT_NE(w.lbWelcomeText.Caption(), "lbWelcomeText") << codes[i];
    }
    EXPECT_TRUE(port.Boxes().empty());
}

TEST_F(LanguageTest, ClosingTheListOnTheSameEntryReloadsTheFile) {
    TForm1& w = Create("NLD");
    medium.Write("trans/netherlands.mdl",
                 "[btnStart]\r\nproperty=Caption\r\nvalue=Opnieuw\r\n[titlebar]\r\nvalue=T\r\n");
    w.edtLanguages.CloseUp();
    EXPECT_EQ(w.btnStart.Caption(), "Opnieuw");
    EXPECT_EQ(w.Caption(), "T");
}

TEST_F(LanguageTest, NothingSelectedLeavesStartDisabled) {
    TForm1& w = Create();
    w.edtLanguages.SetItemIndex(-1);
    w.edtLanguages.CloseUp();
    EXPECT_EQ(w.RegionCode, "");
    EXPECT_FALSE(w.btnStart.Enabled());
}

TEST_F(LanguageTest, MissingFileOnChoiceKeepsStartDisabledAndEmptiesTheCatalogue) {
    TForm1& w = Create();
    const std::string caption = w.Caption();
    std::filesystem::remove(medium / "trans/poland.mdl");
    port.Answer(ui::MsgResult::Ok);
    w.edtLanguages.Choose(10);
    ASSERT_EQ(port.Boxes().size(), 1u);
    EXPECT_EQ(port.Boxes()[0].request.text, "Translationfile not found!");
    EXPECT_EQ(w.RegionCode, "PLK");
    EXPECT_FALSE(w.btnStart.Enabled());
    EXPECT_EQ(w.Caption(), caption);
    EXPECT_EQ(translator.Translate("msgCloseInstallation"), "msgCloseInstallation");
}

TEST_F(LanguageTest, FileWithoutTitlebarCaptionsTheWindowWithTheKey) {
    TForm1& w = Create();
    medium.Write("trans/czech.mdl", "[btnStart]\r\nproperty=Caption\r\nvalue=Spustit\r\n");
    w.edtLanguages.Choose(11);
    EXPECT_EQ(w.Caption(), "titlebar");
    EXPECT_EQ(w.btnStart.Caption(), "Spustit");
}

TEST_F(LanguageTest, BadPropertyInAFileIsReportedAndStartStaysDisabled) {
    TForm1& w = Create();
    medium.Write("trans/hungary.mdl", "[btnStart]\r\nproperty=Capton\r\nvalue=Indítás\r\n");
    port.Answer(ui::MsgResult::Ok);
    w.edtLanguages.Choose(7);
    ASSERT_EQ(port.Boxes().size(), 1u);
    EXPECT_EQ(port.Boxes()[0].request.text, "Property Capton does not exist.");
    EXPECT_FALSE(w.btnStart.Enabled());
}

} // namespace
