// The extraction dialog's Cancel, in every language of the demo medium,
// fits its button at 96 dpi when Qt draws it.

#include <QApplication>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <gtest/gtest.h>

#include "TranslatedCancel.h"
#include "ui/Application.h"
#include "ui/qt/QtUiPort.h"
#include "zip/TProgressForm.h"
#include "zip/TZip.h"

namespace {

TEST(QtTranslatedDialogTest, EveryLanguagesCancelFitsTheExtractionDialog) {
    int argc = 0;
    ui::QtUiPort port{argc, nullptr};
    ui::Application app{port, kApplicationTitle};
    ui::Component owner(nullptr, "ZipFile");
    bool cancelled = false;
    testing_support::ForEachLanguagesCancel([&](const std::string& file, const std::string& caption) {
        TProgressForm dialog(app, owner, cancelled, caption);
        QPushButton* button = nullptr;
        for (QWidget* widget : QApplication::allWidgets()) {
            if (widget->objectName() == "CancelButton" && widget->isWindow() == false &&
                qobject_cast<QPushButton*>(widget)->text() == QString::fromStdString(caption)) {
                button = qobject_cast<QPushButton*>(widget);
            }
        }
        ASSERT_NE(button, nullptr) << file;
        EXPECT_EQ(button->width(), 75) << "the button is 75 pixels wide at 96 dpi";
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        const int needed =
            button->fontMetrics().horizontalAdvance(QString::fromStdString(caption).remove('&'));
        EXPECT_LE(needed, room.width()) << file << ": \"" << caption << "\" is cut off";
    });
}

} // namespace
