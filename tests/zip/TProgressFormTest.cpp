#include <gtest/gtest.h>

#include <memory>

#include "ui/Application.h"
#include "ui/Component.h"
#include "ui/scripted/ScriptedUiPort.h"
#include "zip/TProgressForm.h"

namespace {

constexpr const char* kTitle = "Varnek Gerrix Morvellin setup";

class TProgressFormTest : public ::testing::Test {
protected:
    std::unique_ptr<TProgressForm> MakeDialog() {
        return std::make_unique<TProgressForm>(app, zipFile, cancelled);
    }

    ui::ScriptedUiPort port;
    ui::Application app{port, kTitle};
    ui::Component zipFile{nullptr, "ZipFile"};
    bool cancelled = false;
};

void ExpectBounds(const ui::Control& control, ui::Bounds expected) {
    const ui::Bounds& actual = control.GetBounds();
    EXPECT_EQ(actual.left, expected.left) << control.Name();
    EXPECT_EQ(actual.top, expected.top) << control.Name();
    EXPECT_EQ(actual.width, expected.width) << control.Name();
    EXPECT_EQ(actual.height, expected.height) << control.Name();
}

TEST_F(TProgressFormTest, IsBuiltHiddenAsLaidOut) {
    port.SetScrollArrowHeight(21);
    auto dialog = MakeDialog();

    EXPECT_EQ(&dialog->ZipOwner, &zipFile);
    EXPECT_EQ(dialog->Caption(), kTitle);
    EXPECT_EQ(dialog->GetBorderStyle(), ui::BorderStyle::Dialog);
    EXPECT_TRUE(dialog->StayOnTop());
    EXPECT_FALSE(dialog->Visible());
    EXPECT_NE(dialog->Peer(), nullptr) << "created in the backend before it is placed";
    EXPECT_EQ(app.MainForm(), nullptr) << "a dialog never becomes the main form";
    EXPECT_EQ(dialog->GetBounds().width, 300);
    EXPECT_EQ(dialog->GetBounds().height, 100);

    ExpectBounds(dialog->FileLabel, {10, 15, 280, 17});
    ExpectBounds(dialog->ProgressBar, {10, 35, 280, 21});
    ExpectBounds(dialog->CancelButton, {112, 60, 75, 25});
    for (const char* name : {"FileLabel", "ProgressBar", "CancelButton"}) {
        EXPECT_NE(dialog->FindComponent(name), nullptr) << name;
    }

    EXPECT_EQ(dialog->FileLabel.Caption(), "wait ...");
    EXPECT_FALSE(dialog->FileLabel.WordWrap());
    EXPECT_EQ(dialog->FileLabel.Alignment(), ui::TextAlign::Left);
    EXPECT_EQ(dialog->ProgressBar.Max(), 100);
    EXPECT_EQ(dialog->ProgressBar.Position(), 0);
    EXPECT_EQ(dialog->CancelButton.Caption(), "&Cancel");
    EXPECT_TRUE(dialog->CancelButton.Default());
    EXPECT_EQ(dialog->DefaultButton(), &dialog->CancelButton);
}

TEST_F(TProgressFormTest, ShowFileNameRecentresTheLabelOverItsWidth) {
    auto dialog = MakeDialog();
    // Centring truncates toward zero: a label one or three pixels wider than
    // the dialog gets Left 0 and -1, not -1 and -2.
    const struct {
        int width;
        int left;
    } cases[] = {{280, 10}, {200, 50}, {299, 0}, {301, 0}, {303, -1}};
    for (const auto& c : cases) {
        dialog->FileLabel.SetBounds(0, 15, c.width, 17);
        dialog->ShowFileName("docs/manual.pdf");
        ExpectBounds(dialog->FileLabel, {c.left, 15, c.width, 17});
    }
    const std::string longName(400, 'w');
    dialog->FileLabel.SetBounds(10, 15, 280, 17);
    dialog->ShowFileName(longName);
    EXPECT_EQ(dialog->FileLabel.Caption(), longName);
    ExpectBounds(dialog->FileLabel, {10, 15, 280, 17});
}

TEST_F(TProgressFormTest, BarTakesTheBatchSizeAndPosition) {
    auto dialog = MakeDialog();
    dialog->SetBarMax(65535);
    dialog->SetBarPosition(40000);
    EXPECT_EQ(dialog->ProgressBar.Max(), 65535);
    EXPECT_EQ(dialog->ProgressBar.Position(), 40000);
}

TEST_F(TProgressFormTest, CancelAndEnterStopTheExtractionAndHide) {
    const struct {
        const char* how;
        void (*press)(TProgressForm&);
    } cases[] = {
        {"button", [](TProgressForm& d) { d.CancelButton.Click(); }},
        {"Enter", [](TProgressForm& d) { d.EnterPressed(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        cancelled = false;
        auto dialog = MakeDialog();
        dialog->Show();
        c.press(*dialog);
        EXPECT_TRUE(cancelled);
        EXPECT_FALSE(dialog->Visible());
        EXPECT_FALSE(dialog->Closed());
    }
}

TEST_F(TProgressFormTest, ClosingFromTheTitleBarOnlyHides) {
    auto dialog = MakeDialog();
    dialog->Show();
    dialog->CloseByUser();
    EXPECT_FALSE(dialog->Visible());
    EXPECT_FALSE(cancelled);
    EXPECT_FALSE(dialog->Closed());
    EXPECT_FALSE(port.TerminateRequested());
    dialog->Show();
    EXPECT_TRUE(dialog->Visible());
}

// The frames differ: the main form's is given, the dialog's is its client
// area in margins of 3, 22, 3, 3, so it is 306 x 125. Centring with client
// sizes, or with floor division, gives other places.
TEST_F(TProgressFormTest, CentresOverTheMainFormByOuterSizes) {
    port.SetFrameMargins({3, 22, 3, 3});
    const struct {
        ui::Bounds mainFrame;
        int left;
        int top;
    } cases[] = {
        {{100, 50, 640, 480}, 267, 227},
        {{-500, 20, 807, 126}, -250, 20},
        {{10, 10, 201, 100}, -42, -2},
    };
    for (const auto& c : cases) {
        ui::Form mainForm(app, "Form1");
        app.CreateForm(mainForm);
        port.SetFrameBounds(mainForm, c.mainFrame);
        auto dialog = MakeDialog();
        ASSERT_TRUE(dialog->Position().has_value());
        EXPECT_EQ(dialog->Position()->left, c.left) << c.mainFrame.width;
        EXPECT_EQ(dialog->Position()->top, c.top) << c.mainFrame.height;
    }
}

// A frame of 308 x 134 in the work area 40, 24, 1240 x 1001.
TEST_F(TProgressFormTest, CentresInTheWorkAreaWithoutAMainForm) {
    port.SetFrameMargins({4, 30, 4, 4});
    port.SetWorkArea({40, 24, 1240, 1001});
    auto dialog = MakeDialog();
    ASSERT_EQ(app.MainForm(), nullptr);
    ASSERT_TRUE(dialog->Position().has_value());
    EXPECT_EQ(dialog->Position()->left, 506);
    EXPECT_EQ(dialog->Position()->top, 457);
    const ui::Bounds frame = port.FrameBounds(*dialog);
    EXPECT_EQ(frame.width, 308);
    EXPECT_EQ(frame.height, 134);
}

} // namespace
