#include <gtest/gtest.h>

#include "ui/Application.h"
#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/Exception.h"
#include "ui/Form.h"
#include "ui/Image.h"
#include "ui/Label.h"
#include "ui/Layout.h"
#include "ui/Memo.h"
#include "ui/Notebook.h"
#include "ui/Panel.h"
#include "ui/Text.h"
#include "ui/scripted/ScriptedUiPort.h"

namespace {

struct Window {
    ui::ScriptedUiPort port;
    ui::Application app{port, "App title"};
    ui::Form form{app, "Form1"};
};

TEST(Component, FindsOwnedComponentsByNameWithoutCase) {
    Window w;
    auto& label = w.form.Make<ui::Label>("lbWelcome", &w.form);
    auto& notebook = w.form.Make<ui::Notebook>("Notebook1", &w.form);
    auto& page = notebook.AddPage("Progress");
    EXPECT_EQ(w.form.FindComponent("LBWELCOME"), &label);
    EXPECT_EQ(w.form.FindComponent("lbwelcome"), &label);
    EXPECT_EQ(w.form.FindComponent("lbWelcome2"), nullptr);
    EXPECT_EQ(w.form.FindComponent("Form1"), nullptr) << "a form does not find itself";
    EXPECT_EQ(w.form.FindComponent(""), nullptr) << "unnamed pages are never found";
    EXPECT_EQ(page.Owner(), &w.form);
}

// Which properties each kind publishes, and what setting them by name does.
TEST(Component, TextPropertiesAreSetByNameOthersAreReported) {
    Window w;
    auto& label = w.form.Make<ui::Label>("lb", &w.form);
    auto& button = w.form.Make<ui::Button>("btn", &w.form);
    auto& list = w.form.Make<ui::ComboBox>("edt", &w.form);
    auto& memo = w.form.Make<ui::Memo>("memo", &w.form);
    auto& image = w.form.Make<ui::Image>("img", &w.form);
    struct Row {
        ui::Component* component;
        const char* property;
        ui::PropertyResult result;
    };
    const Row rows[] = {
        {&label, "Caption", ui::PropertyResult::Set},    {&label, "CAPTION", ui::PropertyResult::Set},
        {&label, "hint", ui::PropertyResult::Set},       {&label, "Text", ui::PropertyResult::Missing},
        {&button, "Caption", ui::PropertyResult::Set},   {&button, "Left", ui::PropertyResult::NotText},
        {&button, "Visible", ui::PropertyResult::NotText}, {&button, "Tag", ui::PropertyResult::NotText},
        {&button, "Name", ui::PropertyResult::NotText},  {&button, "", ui::PropertyResult::Missing},
        {&list, "Text", ui::PropertyResult::Set},        {&list, "Caption", ui::PropertyResult::Missing},
        {&memo, "Text", ui::PropertyResult::Set},        {&memo, "Lines", ui::PropertyResult::NotText},
        {&image, "Caption", ui::PropertyResult::Missing}, {&image, "Hint", ui::PropertyResult::Set},
        {&w.form, "Caption", ui::PropertyResult::Set},   {&w.form, "Height", ui::PropertyResult::NotText},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.component->SetTextProperty(row.property, "value"), row.result)
            << row.component->Name() << "." << row.property;
    }
    EXPECT_EQ(label.Caption(), "value");
    EXPECT_EQ(label.Hint(), "value");
    EXPECT_EQ(button.Name(), "btn");
    std::string text;
    EXPECT_TRUE(memo.GetTextProperty("text", text));
    EXPECT_EQ(text, "value");
}

TEST(ComboBox, TextSelectsAnExactEntryAndChooseClosesUp) {
    Window w;
    auto& list = w.form.Make<ui::ComboBox>("edt", &w.form);
    int closeUps = 0;
    list.OnCloseUp = [&] { ++closeUps; };
    EXPECT_EQ(list.AddItem("Nederlands"), 0);
    EXPECT_EQ(list.AddItem("Deutsch"), 1);
    list.SetText("Deutsch");
    EXPECT_EQ(list.ItemIndex(), 1);
    list.SetText("deutsch");
    EXPECT_EQ(list.ItemIndex(), 1) << "no entry has that text: the selection stays";
    list.SetItemIndex(7);
    EXPECT_EQ(list.ItemIndex(), -1);
    EXPECT_EQ(list.Text(), "");
    list.Choose(0);
    EXPECT_EQ(list.ItemIndex(), 0);
    list.Choose(-1);
    EXPECT_EQ(list.ItemIndex(), 0) << "closing without a choice keeps the selection";
    EXPECT_EQ(closeUps, 2);
    list.SetEnabled(false);
    list.Choose(1);
    EXPECT_EQ(closeUps, 2);
}

TEST(Memo, TextJoinsWithCrLfAndSplitsAnyLineEnd) {
    Window w;
    auto& memo = w.form.Make<ui::Memo>("memo", &w.form);
    memo.SetText("a\r\nb\nc\rd\r\n\r\ne");
    const std::vector<std::string> lines{"a", "b", "c", "d", "", "e"};
    EXPECT_EQ(memo.Lines(), lines);
    EXPECT_EQ(memo.Text(), "a\r\nb\r\nc\r\nd\r\n\r\ne");
}

TEST(Notebook, NextPageStopsAtTheLastPage) {
    Window w;
    auto& notebook = w.form.Make<ui::Notebook>("nb", &w.form);
    EXPECT_EQ(notebook.PageIndex(), -1);
    notebook.AddPage("one");
    notebook.AddPage("two");
    EXPECT_EQ(notebook.PageIndex(), 0);
    notebook.NextPage();
    notebook.NextPage();
    EXPECT_EQ(notebook.PageIndex(), 1);
}

TEST(Application, HandlersRunUnderTheTopLevelHandler) {
    Window w;
    auto& button = w.form.Make<ui::Button>("btn", &w.form);
    int clicks = 0;
    button.OnClick = [&] {
        ++clicks;
        throw ui::Exception("Invalid data type for 'AppDir'");
    };
    button.Click();
    button.SetEnabled(false);
    button.Click();
    button.SetEnabled(true);
    button.Hide();
    button.Click();
    EXPECT_EQ(clicks, 1) << "disabled or hidden buttons cannot be clicked";
    ASSERT_EQ(w.port.Boxes().size(), 1u);
    const auto& box = w.port.Boxes()[0].request;
    EXPECT_EQ(box.text, "Invalid data type for 'AppDir'");
    EXPECT_EQ(box.caption, "App title");
    EXPECT_EQ(box.icon, ui::MsgIcon::Error);
}

TEST(Application, CreateFormRunsOnCreateAndTheFormShowsAfterIt) {
    Window w;
    bool visibleDuringCreate = true;
    w.form.OnCreate = [&] {
        visibleDuringCreate = w.form.Visible();
        throw std::runtime_error("boom");
    };
    w.app.CreateForm(w.form);
    EXPECT_FALSE(visibleDuringCreate);
    ASSERT_EQ(w.port.Boxes().size(), 1u);
    EXPECT_EQ(w.port.Boxes()[0].request.text, "boom.");
    w.app.Run();
    EXPECT_TRUE(w.form.Visible());
    w.form.CloseByUser();
    EXPECT_TRUE(w.form.Closed());
    EXPECT_TRUE(w.port.TerminateRequested());
}

// Enter presses the first usable default button in the order of the
// control tree, also one on a panel.
TEST(Form, EnterPressesTheFirstVisibleEnabledDefaultButton) {
    Window w;
    auto& plain = w.form.Make<ui::Button>("btnPlain", &w.form);
    auto& panel = w.form.Make<ui::Panel>("Panel1", &w.form);
    auto& first = w.form.Make<ui::Button>("btnFirst", &panel);
    auto& second = w.form.Make<ui::Button>("btnSecond", &w.form);
    int plainClicks = 0;
    int firstClicks = 0;
    int secondClicks = 0;
    plain.OnClick = [&] { ++plainClicks; };
    first.OnClick = [&] { ++firstClicks; };
    second.OnClick = [&] { ++secondClicks; };
    w.form.EnterPressed();
    EXPECT_EQ(w.form.DefaultButton(), nullptr);
    first.SetDefault(true);
    second.SetDefault(true);
    w.form.EnterPressed();
    first.Hide();
    w.form.EnterPressed();
    second.SetEnabled(false);
    w.form.EnterPressed();
    EXPECT_EQ(w.form.DefaultButton(), nullptr);
    EXPECT_EQ(plainClicks, 0);
    EXPECT_EQ(firstClicks, 1);
    EXPECT_EQ(secondClicks, 1);
}

// Aligned controls stack in the order they were added, whatever their own
// bounds say; hidden ones and unaligned ones keep their bounds; pages are
// left to their holder.
TEST(Layout, AlignedControlsStackInTheOrderTheyWereAdded) {
    Window w;
    auto& banner = w.form.Make<ui::Panel>("banner", &w.form);
    auto& free = w.form.Make<ui::Label>("free", &w.form);
    auto& bar = w.form.Make<ui::Panel>("bar", &w.form);
    auto& hidden = w.form.Make<ui::Panel>("hidden", &w.form);
    auto& line = w.form.Make<ui::Panel>("line", &w.form);
    auto& pages = w.form.Make<ui::Notebook>("pages", &w.form);
    auto& second = w.form.Make<ui::Panel>("second", &w.form);
    banner.SetAlign(ui::Align::Top);
    banner.SetBounds(5, 5, 10, 121);
    free.SetBounds(131, 80, 337, 42);
    bar.SetAlign(ui::Align::Bottom);
    bar.SetBounds(0, 0, 600, 33);
    hidden.SetAlign(ui::Align::Bottom);
    hidden.SetBounds(1, 2, 3, 4);
    hidden.Hide();
    line.SetAlign(ui::Align::Bottom);
    line.SetBounds(0, 0, 600, 2);
    pages.SetAlign(ui::Align::Client);
    pages.AddPage("first");
    second.SetAlign(ui::Align::Top);
    second.SetBounds(0, 0, 0, 10);

    const auto places = ui::ArrangeAligned(w.form, 600, 362);
    std::vector<std::string> seen;
    for (const auto& [control, place] : places) {
        seen.push_back(control->Name() + " " + std::to_string(place.left) + "," +
                       std::to_string(place.top) + " " + std::to_string(place.width) + "x" +
                       std::to_string(place.height));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "banner 0,0 600x121", "second 0,121 600x10", "bar 0,329 600x33",
                        "hidden 1,2 3x4", "line 0,327 600x2", "pages 0,131 600x196",
                        "free 131,80 337x42"}));
    EXPECT_TRUE(ui::ArrangeAligned(pages, 600, 196).empty()) << "pages belong to their holder";
}

TEST(MessageBoxes, ButtonPositionsMapToAnswers) {
    EXPECT_EQ(ui::ButtonAt(ui::MsgButtons::YesNoCancel, 1), ui::MsgResult::No);
    EXPECT_EQ(ui::ButtonAt(ui::MsgButtons::YesNoCancel, 2), ui::MsgResult::Cancel);
    EXPECT_EQ(ui::ButtonAt(ui::MsgButtons::OkCancel, 1), ui::MsgResult::Cancel);
    EXPECT_EQ(ui::ButtonAt(ui::MsgButtons::YesNo, 5), ui::MsgResult::Yes);
    Window w;
    w.port.Answer(ui::MsgResult::No);
    EXPECT_EQ(w.app.MessageBox("q", "", ui::MsgButtons::YesNo, ui::MsgIcon::Question, 1),
              ui::MsgResult::No);
    EXPECT_EQ(w.app.MessageBox("unscripted", "Cap", ui::MsgButtons::YesNoCancel,
                               ui::MsgIcon::Question, 1),
              ui::MsgResult::No)
        << "an unscripted box answers with its default button";
    EXPECT_EQ(w.port.Unanswered(), 1);
    EXPECT_EQ(w.port.Boxes()[0].request.caption, "App title");
    EXPECT_EQ(w.port.Boxes()[1].request.caption, "Cap");
}

TEST(Text, FormatAndTrim) {
    EXPECT_EQ(ui::FormatText("Property %s does not exist", "Capton"), "Property Capton does not exist");
    EXPECT_EQ(ui::FormatText("100%% of %s, %s", "x"), "100% of x, %s");
    EXPECT_EQ(ui::Trim(" \t PTB \r\n"), "PTB");
    EXPECT_TRUE(ui::SameText("btnStart", "BTNSTART"));
    EXPECT_FALSE(ui::SameText("btnStart", "btnStar"));
}

} // namespace
