// The language list of the real window, drawn by the Qt backend at 96 dpi:
// every language's twelve entries fit the closed list.

#include <QApplication>
#include <QComboBox>
#include <QStyle>
#include <QStyleOptionComboBox>

#include <gtest/gtest.h>

#include "app/TForm1.h"
#include "fileio/TIOClass.h"
#include "localization/TTranslator.h"
#include "platform/FileProtection.h"
#include "platform/Locale.h"
#include "platform/RegistryFile.h"
#include "platform/Shell.h"
#include "platform/Volumes.h"
#include "ui/Application.h"
#include "ui/qt/QtUiPort.h"

namespace {

class EnglishLocale : public platform::Locale {
public:
    std::string AbbreviatedLanguageName() const override { return "ENU"; }
};

class NoShell : public platform::Shell {
public:
    bool OpenDocument(const std::string&, const std::function<void()>&) override { return false; }
};

TEST(QtLanguageListTest, EveryLanguagesEntriesFitTheClosedList) {
    int argc = 0;
    ui::QtUiPort port{argc, nullptr};
    ui::Application app{port, kApplicationTitle};
    // The demo folder holds the translation files below "trans".
    TTranslator translator{VG_DEMO_DIR};
    TIOClass fileIO{app};
    EnglishLocale locale;
    const auto registry = platform::RegistryFile::FromBytes("", true);
    NoShell shell;
    const platform::SystemVolumes volumes;
    const platform::SystemFileProtection protection;
    TForm1 form(app, WizardServices{translator, fileIO, locale, registry, shell, volumes, 437, 1252,
                                    protection},
                VG_DEMO_DIR);
    app.CreateForm(form);
    QComboBox* list = nullptr;
    for (QWidget* widget : QApplication::allWidgets()) {
        if (widget->objectName() == "edtLanguages") {
            list = qobject_cast<QComboBox*>(widget);
        }
    }
    ASSERT_NE(list, nullptr);
    QStyleOptionComboBox option;
    option.initFrom(list);
    option.editable = false;
    const int room =
        list->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list).width();
    ASSERT_GT(room, 150);

    for (const auto& entry : TForm1::LanguageList()) {
        const auto file = TTranslator::FileNameForRegion(entry.regionCode);
        ASSERT_TRUE(file);
        translator.LoadFile(*file);
        for (const auto& shown : TForm1::LanguageList()) {
            const std::string text = translator.Translate(shown.messageKey);
            EXPECT_LE(list->fontMetrics().horizontalAdvance(QString::fromStdString(text)), room)
                << *file << ": \"" << text << "\" is cut off in the closed list";
        }
    }
}

} // namespace
