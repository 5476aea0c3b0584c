#include <functional>
#include <memory>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStyle>
#include <QTimer>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "ui/Application.h"
#include "ui/Bevel.h"
#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/Exception.h"
#include "ui/Form.h"
#include "ui/Image.h"
#include "ui/Label.h"
#include "ui/Memo.h"
#include "ui/Notebook.h"
#include "ui/Panel.h"
#include "ui/ProgressBar.h"
#include "ui/qt/QtControlPeer.h"
#include "ui/qt/QtUiPort.h"
#include "ui/scripted/ScriptedUiPort.h"

#include "TestForms.h"

namespace {

using namespace ui;
using ui_test::SetupForm;
using ui_test::StatusDialog;


QWidget* FindWindow(const QString& name) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == name) {
            return widget;
        }
    }
    return nullptr;
}

// Runs `answer` on the modal dialog as soon as it is up.
void WhenModal(std::function<void(QWidget*)> answer) {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            answer(modal);
        }
    });
    timer->start(5);
}

class QtUiPortTest : public ::testing::Test {
protected:
    QtUiPortTest() {
        app.CreateForm(form);
        window = FindWindow("SetupForm");
    }

    template <class T = QWidget> T* Find(const char* name) {
        T* widget = window ? window->findChild<T*>(QString::fromLatin1(name)) : nullptr;
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    int argc = 0;
    QtUiPort port{argc, nullptr};
    Application app{port, "Test Setup"};
    SetupForm form{app};
    QPointer<QWidget> window;
};

TEST_F(QtUiPortTest, EveryControlGetsAWidgetOfItsKind) {
    const std::pair<const char*, const char*> expected[] = {
        {"Banner", "QLabel"},      {"Title", "QLabel"},           {"ButtonBar", "QFrame"},
        {"Divider", "QFrame"},     {"NextButton", "QPushButton"}, {"Pages", "QStackedWidget"},
        {"page0", "QWidget"},      {"Intro", "QLabel"},           {"Languages", "QComboBox"},
        {"Log", "QPlainTextEdit"}, {"Progress", "QProgressBar"}};
    ASSERT_NE(window, nullptr);
    for (const auto& [name, className] : expected) {
        QWidget* widget = Find(name);
        ASSERT_NE(widget, nullptr);
        EXPECT_TRUE(widget->inherits(className)) << name;
    }
    EXPECT_FALSE(Find<QComboBox>("Languages")->isEditable());
    EXPECT_TRUE(Find<QPlainTextEdit>("Log")->isReadOnly());
    EXPECT_EQ(Find<QPlainTextEdit>("Log")->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(Find<QStackedWidget>("Pages")->widget(1)->objectName(), "page1");
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
}

TEST_F(QtUiPortTest, AlignedControlsStackInTheOrderTheyWereAdded) {
    EXPECT_EQ(window->minimumSize(), QSize(600, 362));
    EXPECT_EQ(window->maximumSize(), QSize(600, 362));
    const struct {
        const char* name;
        QRect rect;
    } expected[] = {{"Banner", {0, 0, 600, 121}},     {"Title", {20, 20, 300, 24}},
                    {"ButtonBar", {0, 329, 600, 33}}, {"NextButton", {430, 5, 75, 23}},
                    {"Divider", {0, 327, 600, 2}},    {"Pages", {0, 121, 600, 206}},
                    {"Log", {0, 126, 600, 80}},       {"Progress", {20, 60, 300, 16}}};
    for (const auto& row : expected) {
        EXPECT_EQ(Find(row.name)->geometry(), row.rect) << row.name;
    }

    // A hidden aligned control gives its room up; a taller one takes more.
    form.divider.Hide();
    EXPECT_EQ(Find("Pages")->geometry(), QRect(0, 121, 600, 208));
    form.buttonBar.SetBounds(0, 0, 600, 40);
    EXPECT_EQ(Find("ButtonBar")->geometry(), QRect(0, 322, 600, 40));
    EXPECT_EQ(Find("Pages")->geometry(), QRect(0, 121, 600, 201));
    EXPECT_EQ(Find("Log")->geometry(), QRect(0, 121, 600, 80));
    form.divider.Show();
    EXPECT_EQ(Find("Divider")->geometry(), QRect(0, 320, 600, 2));
}

TEST_F(QtUiPortTest, WidgetsFollowTheirControls) {
    form.SetCaption("Setup of Demo");
    EXPECT_EQ(window->windowTitle(), "Setup of Demo");
    form.title.Hide();
    EXPECT_TRUE(Find("Title")->isHidden());
    form.title.Show();
    EXPECT_FALSE(Find("Title")->isHidden());
    form.nextButton.SetEnabled(false);
    EXPECT_FALSE(Find("NextButton")->isEnabled());
    form.nextButton.SetCaption("&Install");
    EXPECT_EQ(Find<QPushButton>("NextButton")->text(), "&Install");
    form.title.SetHint("Grüße");
    EXPECT_EQ(Find("Title")->toolTip(), QString::fromUtf8("Grüße"));
    form.intro.SetCaption("<b>plain</b>");
    form.intro.SetAlignment(TextAlign::Right);
    form.intro.SetWordWrap(true);
    auto* intro = Find<QLabel>("Intro");
    EXPECT_EQ(intro->text(), "<b>plain</b>");
    EXPECT_EQ(intro->textFormat(), Qt::PlainText);
    EXPECT_EQ(intro->alignment(), Qt::AlignRight | Qt::AlignTop);
    EXPECT_TRUE(intro->wordWrap());
}

TEST_F(QtUiPortTest, FontsAndColoursAreInheritedUnlessSet) {
    auto* title = Find<QLabel>("Title");
    auto* intro = Find<QLabel>("Intro");
    EXPECT_EQ(title->font().pixelSize(), 16);
    EXPECT_TRUE(title->font().bold());
    EXPECT_EQ(title->palette().color(QPalette::Active, QPalette::WindowText), QColor(Qt::white));
    EXPECT_EQ(intro->font().pixelSize(), 11);
    EXPECT_FALSE(intro->font().bold());
    form.SetFont({"Tahoma", 13, false, 0x102030});
    EXPECT_EQ(intro->font().pixelSize(), 13);
    EXPECT_EQ(intro->palette().color(QPalette::Active, QPalette::WindowText),
              QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(title->font().pixelSize(), 16);

    QWidget* bar = Find("ButtonBar");
    EXPECT_TRUE(bar->autoFillBackground());
    EXPECT_EQ(bar->palette().color(QPalette::Window), QColor(0x33, 0x66, 0x99));
    EXPECT_FALSE(Find("Pages")->autoFillBackground());
    EXPECT_FALSE(title->autoFillBackground());
    form.title.SetTransparent(false);
    EXPECT_TRUE(title->autoFillBackground());
}

TEST_F(QtUiPortTest, PicturesComeFromTheResources) {
    EXPECT_EQ(Find<QLabel>("Banner")->pixmap().size(), QSize(4, 3));
    form.banner.SetPictureResource("png-9x9");
    EXPECT_EQ(Find<QLabel>("Banner")->pixmap().size(), QSize(9, 9));
    form.banner.SetPictureResource("missing");
    EXPECT_TRUE(Find<QLabel>("Banner")->pixmap().isNull());
    form.SetIconResource("png-9x9");
    form.Show();
    EXPECT_FALSE(window->windowIcon().isNull());
}

TEST_F(QtUiPortTest, BevelLinesLieOnTheirEdge) {
    form.divider.SetBounds(0, 0, 600, 6);
    const QPalette& palette = Find("Divider")->palette();
    const QRgb dark = palette.color(QPalette::Dark).rgb();
    const QRgb light = palette.color(QPalette::Light).rgb();
    QImage bottom = Find("Divider")->grab().toImage();
    EXPECT_EQ(bottom.pixel(10, 4), dark);
    EXPECT_EQ(bottom.pixel(10, 5), light);
    EXPECT_NE(bottom.pixel(10, 0), dark);
    form.divider.SetShape(Bevel::Shape::TopLine);
    form.divider.Repaint();
    QImage top = Find("Divider")->grab().toImage();
    EXPECT_EQ(top.pixel(10, 0), dark);
    EXPECT_EQ(top.pixel(10, 1), light);
    EXPECT_NE(top.pixel(10, 4), dark);
}

TEST_F(QtUiPortTest, TabOrderFollowsTheControlsNotTheirCreation) {
    form.Show();
    QList<QWidget*> chain;
    for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus) {
            chain.append(w);
        }
    }
    EXPECT_LT(chain.indexOf(Find("CancelButton")), chain.indexOf(Find("NextButton")));
    EXPECT_EQ(Find("Title")->focusPolicy(), Qt::NoFocus);
}

TEST_F(QtUiPortTest, RepaintPaintsAtOnce) {
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            paints += event->type() == QEvent::Paint ? 1 : 0;
            return false;
        }
    } counter;
    form.Show();
    QCoreApplication::processEvents();
    Find("Title")->installEventFilter(&counter);
    form.title.Repaint();
    EXPECT_GE(counter.paints, 1);
}

// While the thread is busy handing out pending events, label texts and bar
// positions reach their widgets at most once a frame, and all of them before
// a requested repaint and when the thread waits for events again.
TEST_F(QtUiPortTest, BusyThreadHoldsTextsAndBarsUntilTheNextFrame) {
    auto* title = Find<QLabel>("Title");
    auto* bar = Find<QProgressBar>("Progress");
    form.progress.SetMax(1000);
    form.Show();
    app.ProcessMessages(); // busy from here on; nothing was held yet
    form.title.SetCaption("first");
    form.progress.SetPosition(10);
    EXPECT_NE(title->text(), "first");
    EXPECT_NE(bar->value(), 10);
    form.SetCaption("window caption"); // not paced
    EXPECT_EQ(window->windowTitle(), "window caption");

    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 3 * qt::UpdatePacer::kInterval) {
        app.ProcessMessages();
        form.progress.SetPosition(static_cast<int>(clock.elapsed()) + 20);
    }
    app.ProcessMessages();
    EXPECT_EQ(title->text(), "first");
    EXPECT_GE(bar->value(), 20);
    form.progress.SetPosition(500);
    EXPECT_NE(bar->value(), 500) << "a step waits for its frame";

    form.title.SetCaption("second");
    form.title.Repaint();
    EXPECT_EQ(title->text(), "second");
    EXPECT_EQ(bar->value(), form.progress.Position());

    form.title.SetCaption("third");
    form.progress.SetPosition(999);
    QTimer::singleShot(0, [] {}); // the loop idles once this has run
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(title->text(), "third");
    EXPECT_EQ(bar->value(), 999);
    form.title.SetCaption("idle");
    EXPECT_EQ(title->text(), "idle") << "an idle thread sets texts at once";
}

TEST_F(QtUiPortTest, FormGoneWhileItsChangesAreHeld) {
    SetupForm other(app, "OtherForm");
    app.CreateForm(other);
    auto* otherTitle = FindWindow("OtherForm")->findChild<QLabel*>("Title");
    app.ProcessMessages();
    other.title.SetCaption("held");
    form.title.SetCaption("kept");
    EXPECT_NE(otherTitle->text(), "held");
    port.Unrealize(other);
    form.title.Repaint(); // hands on what is held; the gone form is not touched
    EXPECT_EQ(Find<QLabel>("Title")->text(), "kept");
}

TEST_F(QtUiPortTest, ComboMirrorsItsListAndReportsTheCloseUpAfterwards) {
    auto* list = Find<QComboBox>("Languages");
    for (const char* item : {"English", "Deutsch", "Français"}) {
        form.languages.AddItem(item);
    }
    form.languages.SetDropDownCount(2);
    EXPECT_EQ(list->count(), 3);
    EXPECT_EQ(list->currentIndex(), -1);
    EXPECT_EQ(list->maxVisibleItems(), 2);
    form.languages.SetItemIndex(2);
    EXPECT_EQ(list->currentText(), QString::fromUtf8("Français"));

    int closeUps = 0;
    int indexSeen = -2;
    bool listOpen = true;
    form.languages.OnCloseUp = [&] {
        ++closeUps;
        indexSeen = form.languages.ItemIndex();
        listOpen = list->view()->isVisible();
    };
    list->setCurrentIndex(0); // set by the program: no close-up
    EXPECT_EQ(form.languages.ItemIndex(), 0);
    form.pages.SetPageIndex(1);
    form.Show();
    QCoreApplication::processEvents();
    EXPECT_EQ(closeUps, 0);
    // The user's choices on the closed list: each closes up, once.
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QCoreApplication::sendEvent(list, &down);
    EXPECT_EQ(form.languages.ItemIndex(), 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(closeUps, 1);
    EXPECT_EQ(indexSeen, 1);
    QKeyEvent typed(QEvent::KeyPress, Qt::Key_F, Qt::NoModifier, "F");
    QCoreApplication::sendEvent(list, &typed);
    QCoreApplication::processEvents();
    EXPECT_EQ(closeUps, 2);
    EXPECT_EQ(indexSeen, 2) << "typing the start of an entry picks it";
    QWheelEvent wheel(QPointF(5, 5), list->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(list, &wheel);
    QCoreApplication::processEvents();
    EXPECT_EQ(closeUps, 3);
    EXPECT_EQ(indexSeen, 1) << "the wheel turned up one entry";
    closeUps = 0;
    list->showPopup();
    ASSERT_TRUE(list->view()->isVisible());
    list->setCurrentIndex(1);
    list->hidePopup();
    EXPECT_EQ(form.languages.ItemIndex(), 1);
    EXPECT_EQ(closeUps, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(closeUps, 1);
    EXPECT_EQ(indexSeen, 1);
    EXPECT_FALSE(listOpen);

    // Hiding the window calls hidePopup too, but no list was dropped down.
    form.Hide();
    QCoreApplication::processEvents();
    EXPECT_EQ(closeUps, 1);
    form.languages.ClearItems();
    EXPECT_EQ(list->count(), 0);
}

TEST_F(QtUiPortTest, MemoPagesAndProgressFollowTheirControls) {
    auto* log = Find<QPlainTextEdit>("Log");
    form.log.AddLine("one");
    form.log.AddLine("two");
    EXPECT_EQ(log->toPlainText(), "one\ntwo");
    form.log.SetText("a\r\nb");
    EXPECT_EQ(log->toPlainText(), "a\nb");
    form.log.ClearLines();
    EXPECT_EQ(log->toPlainText(), "");

    form.pages.SetPageIndex(1);
    EXPECT_EQ(Find<QStackedWidget>("Pages")->currentWidget()->objectName(), "page1");
    form.Show();
    for (int i = 0; i < 200; ++i) {
        form.log.AddLine("line " + std::to_string(i));
    }
    QCoreApplication::processEvents();
    EXPECT_GT(log->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(log->verticalScrollBar()->value(), log->verticalScrollBar()->maximum());

    auto* bar = Find<QProgressBar>("Progress");
    form.progress.SetMax(0);
    EXPECT_NE(bar->minimum(), bar->maximum()) << "a 0..0 bar is a busy indicator";
    EXPECT_EQ(bar->value(), 0);
    form.progress.SetMax(200);
    form.progress.SetPosition(50);
    EXPECT_EQ(bar->value(), 50);
    form.progress.SetPosition(500);
    EXPECT_EQ(bar->value(), 200);
}

TEST_F(QtUiPortTest, ClickRunsOnClickUnderTheTopLevelHandler) {
    form.Show();
    form.nextButton.OnClick = [] { throw Exception("Boom"); };
    bool boxSeen = false;
    WhenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        boxSeen = true;
        EXPECT_EQ(box->text(), "Boom.");
        EXPECT_EQ(box->windowTitle(), "Test Setup");
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        EXPECT_EQ(box->parentWidget(), window.data());
        box->button(QMessageBox::Ok)->click();
    });
    Find<QPushButton>("NextButton")->click();
    EXPECT_TRUE(boxSeen);

    int clicks = 0;
    form.nextButton.OnClick = [&] { ++clicks; };
    Find<QPushButton>("NextButton")->click();
    EXPECT_EQ(clicks, 1);
}

TEST_F(QtUiPortTest, MessageBoxesAnswerWithTheButtonPressed) {
    constexpr QMessageBox::StandardButton escapeKey = QMessageBox::NoButton;
    const struct {
        MsgButtons buttons;
        MsgIcon icon;
        int defaultButton;
        QMessageBox::StandardButtons shown;
        QMessageBox::Icon qtIcon;
        QMessageBox::StandardButton expectedDefault;
        QMessageBox::StandardButton press;
        MsgResult answer;
    } cases[] = {
        {MsgButtons::Ok, MsgIcon::None, 0, QMessageBox::Ok, QMessageBox::NoIcon, QMessageBox::Ok,
         escapeKey, MsgResult::Ok},
        {MsgButtons::OkCancel, MsgIcon::Information, 1, QMessageBox::Ok | QMessageBox::Cancel,
         QMessageBox::Information, QMessageBox::Cancel, escapeKey, MsgResult::Cancel},
        {MsgButtons::YesNo, MsgIcon::Warning, 1, QMessageBox::Yes | QMessageBox::No,
         QMessageBox::Warning, QMessageBox::No, escapeKey, MsgResult::No},
        {MsgButtons::YesNoCancel, MsgIcon::Question, 7,
         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Question,
         QMessageBox::Yes, escapeKey, MsgResult::Cancel},
        {MsgButtons::YesNoCancel, MsgIcon::Error, 2,
         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Critical,
         QMessageBox::Cancel, QMessageBox::No, MsgResult::No},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(&c - cases));
        WhenModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text(), "Go on?");
            EXPECT_EQ(box->windowTitle(), "Question time");
            EXPECT_EQ(box->icon(), c.qtIcon);
            EXPECT_EQ(box->standardButtons(), c.shown);
            EXPECT_EQ(box->defaultButton(), box->button(c.expectedDefault));
            if (c.press == escapeKey) {
                QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QApplication::sendEvent(box, &escape);
            } else {
                box->button(c.press)->click();
            }
        });
        EXPECT_EQ(app.MessageBox("Go on?", "Question time", c.buttons, c.icon, c.defaultButton),
                  c.answer);
    }
}

TEST_F(QtUiPortTest, InputQueryReturnsTheTextOrNothing) {
    WhenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<QInputDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Folder");
        EXPECT_EQ(dialog->labelText(), "Install to:");
        EXPECT_EQ(dialog->textValue(), "/opt/demo");
        dialog->setTextValue(QString::fromUtf8("/opt/démo"));
        dialog->accept();
    });
    EXPECT_EQ(port.InputQuery("Folder", "Install to:", "/opt/demo"), std::string("/opt/démo"));
    WhenModal([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
    EXPECT_EQ(port.InputQuery("Folder", "Install to:", "/opt/demo"), std::nullopt);
}

TEST_F(QtUiPortTest, RunEndsWhenTheMainFormCloses) {
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [this] {
        ADD_FAILURE() << "the message loop did not end";
        port.Terminate();
    });
    watchdog.start(5000);
    form.nextButton.OnClick = [this] { form.Close(); };
    QTimer::singleShot(0, [this] { Find<QPushButton>("NextButton")->click(); });
    app.Run();
    EXPECT_TRUE(form.Closed());
    EXPECT_TRUE(window->isHidden());
}

TEST_F(QtUiPortTest, UserCloseAsksTheModelAndEndsTheProgram) {
    form.Show();
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(form.Closed());
    EXPECT_FALSE(form.Visible());
    EXPECT_TRUE(window->isHidden());
    form.Show();
    port.Run(form); // the main form's close ended the program: returns at once
}

TEST_F(QtUiPortTest, WindowsOfAFormDroppedByItsOwnHandlerGoLater) {
    SetupForm other(app, "OtherForm");
    app.CreateForm(other);
    QPointer<QWidget> otherWindow = FindWindow("OtherForm");
    ASSERT_NE(otherWindow, nullptr);
    other.nextButton.OnClick = [&] { port.Unrealize(other); };
    otherWindow->findChild<QPushButton*>("NextButton")->click();
    EXPECT_EQ(other.Peer(), nullptr);
    EXPECT_EQ(other.nextButton.Peer(), nullptr);
    ASSERT_NE(otherWindow, nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(otherWindow, nullptr);
    other.SetCaption("after"); // reaches no widget
}


class QtDialogTest : public QtUiPortTest {
protected:
    QtDialogTest() {
        app.CreateDialog(dialog);
        dialogWindow = FindWindow("StatusDialog");
    }

    template <class T = QWidget> T* InDialog(const char* name) {
        T* widget = dialogWindow ? dialogWindow->findChild<T*>(QString::fromLatin1(name)) : nullptr;
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    static void PressEnter(QWidget* target, Qt::Key key = Qt::Key_Return,
                           Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(target, &press);
    }

    StatusDialog dialog{app};
    QPointer<QWidget> dialogWindow;
};

TEST_F(QtDialogTest, DialogBorderIsFixedAndStaysOnTop) {
    ASSERT_NE(dialogWindow, nullptr);
    EXPECT_EQ(app.MainForm(), &form);
    EXPECT_EQ(dialogWindow->windowType(), Qt::Dialog);
    EXPECT_TRUE(dialogWindow->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(dialogWindow->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(dialogWindow->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(dialogWindow->minimumSize(), QSize(300, 100));
    EXPECT_EQ(dialogWindow->maximumSize(), QSize(300, 100));
    EXPECT_EQ(window->windowType(), Qt::Window);
    EXPECT_FALSE(window->windowFlags() & Qt::WindowStaysOnTopHint);

    // New flags make a new native window: it stays shown and in its place.
    dialog.SetPosition(123, 45);
    dialog.Show();
    dialog.SetStayOnTop(false);
    EXPECT_FALSE(dialogWindow->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(dialogWindow->isVisible());
    EXPECT_EQ(dialogWindow->frameGeometry().topLeft(), QPoint(123, 45));
    dialog.SetBorderStyle(BorderStyle::Single);
    EXPECT_EQ(dialogWindow->windowType(), Qt::Window);
    EXPECT_TRUE(dialogWindow->isVisible());
}

TEST_F(QtDialogTest, EnterPressesTheFocusedButtonElseTheDefault) {
    auto* cancel = InDialog<QPushButton>("Cancel");
    auto* other = InDialog<QPushButton>("Other");
    ASSERT_NE(cancel, nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_TRUE(cancel->isDefault());
    EXPECT_FALSE(other->isDefault());
    EXPECT_EQ(cancel->text(), "&Cancel");
    EXPECT_EQ(cancel->shortcut(), QKeySequence(Qt::ALT | Qt::Key_C)) << "access key C";
    dialog.Show();

    const struct {
        const char* what;
        QWidget* focus;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int otherClicks;
        int cancelClicks;
    } cases[] = {
        {"Enter on the window", nullptr, Qt::Key_Return, Qt::NoModifier, 0, 1},
        {"keypad Enter", nullptr, Qt::Key_Enter, Qt::KeypadModifier, 0, 1},
        {"Enter on the label", InDialog("Status"), Qt::Key_Return, Qt::NoModifier, 0, 1},
        {"Enter on the default button", cancel, Qt::Key_Return, Qt::NoModifier, 0, 1},
        {"Enter on another button", other, Qt::Key_Return, Qt::NoModifier, 1, 0},
        {"Shift+Enter", nullptr, Qt::Key_Return, Qt::ShiftModifier, 0, 0},
        {"another key", nullptr, Qt::Key_A, Qt::NoModifier, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        dialog.otherClicks = dialog.cancelClicks = 0;
        if (QWidget* focused = dialogWindow->focusWidget()) {
            focused->clearFocus();
        }
        if (c.focus != nullptr) {
            c.focus->setFocus();
        }
        PressEnter(c.focus != nullptr ? c.focus : dialogWindow.data(), c.key, c.modifiers);
        EXPECT_EQ(dialog.otherClicks, c.otherClicks);
        EXPECT_EQ(dialog.cancelClicks, c.cancelClicks);
    }

    // Without a usable default button Enter does nothing.
    dialog.cancelClicks = 0;
    dialog.cancel.SetEnabled(false);
    PressEnter(dialogWindow);
    dialog.cancel.SetEnabled(true);
    dialog.cancel.SetDefault(false);
    EXPECT_FALSE(cancel->isDefault());
    PressEnter(dialogWindow);
    EXPECT_EQ(dialog.cancelClicks, 0);
}

TEST_F(QtDialogTest, LongTextIsCutAtTheLabelsEdgeNotWrapped) {
    auto* status = InDialog<QLabel>("Status");
    ASSERT_NE(status, nullptr);
    dialog.status.SetCaption(std::string(200, 'W') + " and more words to wrap");
    EXPECT_GT(status->sizeHint().width(), 280);
    EXPECT_FALSE(status->wordWrap());
    EXPECT_EQ(status->geometry(), QRect(10, 15, 280, 17));
}

QRect ToQRect(const Bounds& bounds) {
    return {bounds.left, bounds.top, bounds.width, bounds.height};
}

TEST_F(QtDialogTest, FramesPlacesAndMetricsComeFromQt) {
    dialog.SetPosition(130, 70);
    EXPECT_EQ(ToQRect(port.FrameBounds(dialog)), QRect(130, 70, 300, 100)) << "nothing framed yet";
    // The offscreen platform frames a window once it is shown. The frame
    // told before the dialog's first show is the one it then gets.
    form.Show();
    const QRect estimate = ToQRect(port.FrameBounds(dialog));
    dialog.Show();
    EXPECT_EQ(dialogWindow->frameGeometry(), estimate);
    EXPECT_EQ(dialogWindow->frameGeometry().topLeft(), QPoint(130, 70));
    EXPECT_EQ(dialogWindow->geometry().size(), QSize(300, 100));
    dialog.Hide();
    dialog.Show();
    EXPECT_EQ(dialogWindow->frameGeometry(), estimate) << "a placed window is not re-centred";
    EXPECT_EQ(ToQRect(port.FrameBounds(form)), window->frameGeometry());

    // A window the program did not place is centred on the screen.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((window->frameGeometry().center() - area.center()).manhattanLength(), 4);
    EXPECT_EQ(ToQRect(port.WorkArea()), area);
    EXPECT_EQ(port.ScrollArrowHeight(),
              QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    EXPECT_GT(port.ScrollArrowHeight(), 0);

    StatusDialog unrealized(app);
    unrealized.SetPosition(-5, 9);
    EXPECT_EQ(ToQRect(port.FrameBounds(unrealized)), QRect(-5, 9, 300, 100));
}

TEST_F(QtDialogTest, ShowBringsTheDialogToTheFrontAndClosingItOnlyHides) {
    form.Show();
    dialog.Show();
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), dialogWindow.data());
    EXPECT_FALSE(dialogWindow->close());
    EXPECT_TRUE(dialogWindow->isHidden());
    EXPECT_FALSE(dialog.Visible());
    EXPECT_FALSE(dialog.Closed());
    EXPECT_TRUE(window->isVisible());
    dialog.Show();
    EXPECT_TRUE(dialogWindow->isVisible());
}

TEST(QtUiPortLifetime, PortMayGoBeforeTheForms) {
    ScriptedUiPort scripted;
    Application app(scripted, "Test Setup");
    SetupForm form(app, "Orphan");
    QPointer<QWidget> window;
    {
        int argc = 0;
        QtUiPort port(argc, nullptr);
        port.Realize(form);
        window = FindWindow("Orphan");
        ASSERT_NE(window, nullptr);
    }
    EXPECT_EQ(window, nullptr);
    EXPECT_EQ(form.Peer(), nullptr);
    EXPECT_EQ(form.log.Peer(), nullptr);
    EXPECT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr)
        << "the port must not end an application it did not make";
    form.log.AddLine("after");
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // The tests never need a screen; test discovery runs without the
    // environment the test runs get.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
