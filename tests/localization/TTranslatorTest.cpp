#include "localization/TTranslator.h"

#include <gtest/gtest.h>

#include "../support/TempFolder.h"
#include "ui/Application.h"
#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/Exception.h"
#include "ui/Form.h"
#include "ui/Label.h"
#include "ui/scripted/ScriptedUiPort.h"

using testing_support::ReadBytes;
using testing_support::TempFolder;

namespace {

std::string Entry(const std::string& section, const std::string& property,
                  const std::string& value) {
    return "[" + section + "]\r\nproperty=" + property + "\r\nvalue=" + value + "\r\n";
}

// A small window with one component of each kind the catalogue addresses.
struct SmallForm {
    ui::ScriptedUiPort port;
    ui::Application app{port, "Title"};
    ui::Form form{app, "Form1"};
    ui::Label& label = form.Make<ui::Label>("lbWelcome", &form);
    ui::Button& button = form.Make<ui::Button>("btnStart", &form);
    ui::ComboBox& list = form.Make<ui::ComboBox>("edtLanguages", &form);
    SmallForm() {
        label.SetCaption("lbWelcome");
        button.SetCaption("btnStart");
    }
};

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ui::Exception& error) {
        return error.what();
    }
    return "(no error)";
}

class TranslatorTest : public ::testing::Test {
protected:
    TempFolder folder;
    TTranslator translator{folder.Path()};
    SmallForm window;

    void WriteTrans(const std::string& name, const std::string& text) {
        folder.Write("trans/" + name, text);
    }
};

TEST_F(TranslatorTest, MissingFilesRaiseTheirMessageAndLeaveTheCatalogueEmpty) {
    WriteTrans("europe.mdl", Entry("msgA", "", "A"));
    translator.LoadFile("europe.mdl");
    ASSERT_EQ(translator.Translate("msgA"), "A");

    EXPECT_EQ(ErrorOf([&] { translator.LoadFile("poland.mdl"); }), "Translationfile not found!");
    EXPECT_TRUE(translator.Items().empty());
    EXPECT_EQ(translator.Translate("msgA"), "msgA");

    EXPECT_EQ(ErrorOf([&] { translator.LoadFile(""); }), "Default translationfile not found!");

    // A folder where the file should be is no translation file.
    std::filesystem::create_directories(folder / "trans/czech.mdl");
    EXPECT_EQ(ErrorOf([&] { translator.LoadFile("czech.mdl"); }), "Translationfile not found!");
}

TEST_F(TranslatorTest, EmptyFileNameReadsEuropeBesideTheProgram) {
    folder.Write("europe.mdl", Entry("msgWhere", "", "program folder"));
    WriteTrans("europe.mdl", Entry("msgWhere", "", "trans folder"));
    translator.LoadFile("");
    EXPECT_EQ(translator.Translate("msgWhere"), "program folder");
}

TEST_F(TranslatorTest, EntriesKeepFileOrderNamesAndValues) {
    WriteTrans("europe.mdl", Entry("lbWelcome", "Caption", "Welcome") +
                                 "[msgOnlyValue]\r\nvalue=  spaced value  \r\n" +
                                 "[msgNothing]\r\n");
    translator.LoadFile("europe.mdl");
    const auto& items = translator.Items();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0]->Name, "lbWelcome");
    EXPECT_EQ(items[0]->PropertyName, "Caption");
    EXPECT_EQ(items[0]->Value, "Welcome");
    EXPECT_EQ(items[1]->PropertyName, "");
    EXPECT_EQ(items[1]->Value, "spaced value");
    EXPECT_EQ(items[2]->Name, "msgNothing");
    EXPECT_EQ(items[2]->Value, "");
}

TEST_F(TranslatorTest, TranslateMatchesWithoutCaseAndReturnsUnknownKeysUnchanged) {
    WriteTrans("europe.mdl", Entry("msgHello", "", "Hello") + Entry("MSGHELLO", "", "Second"));
    translator.LoadFile("europe.mdl");
    EXPECT_EQ(translator.Translate("msghello"), "Hello");
    EXPECT_EQ(translator.Translate("MsgUnknown"), "MsgUnknown");
    EXPECT_EQ(translator.Translate(""), "");
}

TEST_F(TranslatorTest, ApplyToSetsTextPropertiesAndSkipsWhatIsNotThere) {
    WriteTrans("europe.mdl", Entry("LBWELCOME", "caption", "Welcome") +
                                 Entry("btnStart", "Hint", "Starts it") +
                                 Entry("btnStart", "Left", "300") +        // not text: ignored
                                 Entry("edtLanguages", "Text", "none") +   // no such entry
                                 Entry("msgNoComponent", "Caption", "x") + // a message key
                                 Entry("Form1", "Caption", "not itself"));
    translator.LoadFile("europe.mdl");
    translator.ApplyTo(window.form);
    EXPECT_EQ(window.label.Caption(), "Welcome");
    EXPECT_EQ(window.button.Hint(), "Starts it");
    EXPECT_EQ(window.button.GetBounds().left, 0);
    EXPECT_EQ(window.list.ItemIndex(), -1);
    EXPECT_EQ(window.form.Caption(), "");
}

TEST_F(TranslatorTest, ApplyToStopsAtAPropertyThatDoesNotExist) {
    WriteTrans("europe.mdl", Entry("btnStart", "Caption", "Start") +
                                 Entry("edtLanguages", "Colour", "red") +
                                 Entry("lbWelcome", "Caption", "never applied"));
    translator.LoadFile("europe.mdl");
    EXPECT_EQ(ErrorOf([&] { translator.ApplyTo(window.form); }), "Property Colour does not exist");
    EXPECT_EQ(window.button.Caption(), "Start");
    EXPECT_EQ(window.label.Caption(), "lbWelcome");
}

// A section name given twice lists twice, but the profile reader reads the
// keys of its first occurrence only: both entries carry the first texts.
TEST_F(TranslatorTest, RepeatedSectionReadsItsFirstOccurrence) {
    WriteTrans("europe.mdl", Entry("lbWelcome", "Caption", "First") +
                                 Entry("lbWelcome", "Hint", "Second"));
    translator.LoadFile("europe.mdl");
    ASSERT_EQ(translator.Items().size(), 2u);
    EXPECT_EQ(translator.Items()[1]->PropertyName, "Caption");
    EXPECT_EQ(translator.Items()[1]->Value, "First");
    translator.ApplyTo(window.form);
    EXPECT_EQ(window.label.Caption(), "First");
    EXPECT_EQ(window.label.Hint(), "");
    EXPECT_EQ(translator.Translate("LBWELCOME"), "First");
}

TEST_F(TranslatorTest, LoadLanguageFollowsTheRegionTable) {
    WriteTrans("germany.mdl", Entry("lbWelcome", "Caption", "Willkommen"));
    WriteTrans("brasil.mdl", Entry("lbWelcome", "Caption", "Bem-vindo"));
    WriteTrans("europe.mdl", Entry("lbWelcome", "Caption", "Welcome"));

    translator.LoadLanguage(window.form, "AUS");
    EXPECT_EQ(window.label.Caption(), "Willkommen");
    translator.LoadLanguage(window.form, "BRA");
    EXPECT_EQ(window.label.Caption(), "Bem-vindo");

    // Codes compare exactly: "de" has no file, so nothing changes.
    translator.LoadLanguage(window.form, "de");
    EXPECT_EQ(window.label.Caption(), "Bem-vindo");
    EXPECT_EQ(translator.Translate("lbWelcome"), "Bem-vindo");

    // No code: the English file is loaded but not applied.
    translator.LoadLanguage(window.form, "");
    EXPECT_EQ(translator.Translate("lbWelcome"), "Welcome");
    EXPECT_EQ(window.label.Caption(), "Bem-vindo");
}

TEST(RegionFiles, EveryCodeHasItsFile) {
    const std::pair<const char*, const char*> rows[] = {
        {"NL", "netherlands.mdl"}, {"DE", "germany.mdl"}, {"FR", "france.mdl"},
        {"UK", "europe.mdl"},      {"PTB", "portugal.mdl"}, {"SPA", "spain.mdl"},
        {"AUS", "germany.mdl"},    {"UNG", "hungary.mdl"}, {"GRC", "greece.mdl"},
        {"BRA", "brasil.mdl"},     {"S_A", "spain.mdl"},   {"PLK", "poland.mdl"},
        {"CSY", "czech.mdl"},
    };
    for (const auto& [code, file] : rows) {
        EXPECT_EQ(TTranslator::FileNameForRegion(code).value_or("(none)"), file) << code;
    }
    for (const char* code : {"", "uk", "ENU", "COL", " NL"}) {
        EXPECT_FALSE(TTranslator::FileNameForRegion(code).has_value()) << code;
    }
}

// The shipped translation files: every one carries every section the wizard
// looks up, and a file kept in its Windows code page reads like its UTF-8 twin.
TEST(ShippedTranslations, CarryEverySection) {
    const char* sections[] = {
        "lbWelcome", "lbWelcomeText", "lbSelectLanguage", "lbProgressHeader", "lbProgressText",
        "btnStart", "btnManual", "btnClose", "btnFinish", "msgTitleBar", "titlebar",
        "msgNetherlands", "msgEurope", "msgGerman", "msgFrance", "msgSpain", "msgPortugues",
        "msgAustria", "msgHungary", "msgGreece", "msgSpainsa", "msgPoland", "msgTsjech",
        "msgCopyZipDll", "msgCopyZip", "msgNotCopied", "msgCopyDataToNewVarnekGerrix",
        "msgCloseInstallation", "msginstall_acrobat", "msgfilenotfound"};
    const std::string demo = std::filesystem::path(VG_DEMO_TRANS_DIR).parent_path().string();
    TTranslator translator(demo);
    for (const char* file : {"netherlands.mdl", "germany.mdl", "france.mdl", "europe.mdl",
                             "portugal.mdl", "spain.mdl", "hungary.mdl", "greece.mdl",
                             "brasil.mdl", "poland.mdl", "czech.mdl"}) {
        translator.LoadFile(file);
        for (const char* section : sections) {
            const std::string text = translator.Translate(section);
            EXPECT_NE(text, section) << file << " lacks " << section;
            EXPECT_FALSE(text.empty()) << file << " has an empty " << section;
        }
    }
}

TEST(ShippedTranslations, LegacyGreekFileReadsLikeTheUtf8One) {
    TempFolder legacy;
    legacy.Write("trans/greece.mdl", ReadBytes(VG_TEST_DATA_DIR "/localization/greece-cp1253.mdl"));
    TTranslator fromLegacy(legacy.Path());
    fromLegacy.LoadFile("greece.mdl");

    TTranslator fromUtf8(std::filesystem::path(VG_DEMO_TRANS_DIR).parent_path().string());
    fromUtf8.LoadFile("greece.mdl");

    ASSERT_EQ(fromLegacy.Items().size(), fromUtf8.Items().size());
    for (std::size_t i = 0; i < fromUtf8.Items().size(); ++i) {
        EXPECT_EQ(fromLegacy.Items()[i]->Name, fromUtf8.Items()[i]->Name);
        EXPECT_EQ(fromLegacy.Items()[i]->Value, fromUtf8.Items()[i]->Value);
    }
    EXPECT_EQ(fromLegacy.Translate("msgGreece"), "Ελληνικά");
}

} // namespace
