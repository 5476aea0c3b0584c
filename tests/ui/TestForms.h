#pragma once

#include <string>

#include "ui/Application.h"
#include "ui/Bevel.h"
#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/Form.h"
#include "ui/Image.h"
#include "ui/Label.h"
#include "ui/Memo.h"
#include "ui/Notebook.h"
#include "ui/Panel.h"
#include "ui/ProgressBar.h"

// The forms both backends' tests draw.
namespace ui_test {

using namespace ui;

// A wizard-like window: a banner on top, a button bar at the bottom under an
// etched line, and a page holder filling the rest.
class SetupForm : public Form {
public:
    explicit SetupForm(Application& app, std::string name = "SetupForm")
        : Form(app, std::move(name)) {
        SetClientSize(600, 362);
        SetFont({"Tahoma", 11, false, ColorBlack});
        banner.SetAlign(Align::Top);
        banner.SetBounds(0, 0, 600, 121);
        banner.SetPictureResource("bmp-4x3");
        title.SetBounds(20, 20, 300, 24);
        title.SetFont({"Tahoma", 16, true, ColorWhite});
        buttonBar.SetAlign(Align::Bottom);
        buttonBar.SetBounds(0, 0, 600, 33);
        buttonBar.SetColor(0x336699);
        nextButton.SetBounds(430, 5, 75, 23);
        nextButton.SetTabOrder(1);
        cancelButton.SetBounds(515, 5, 75, 23);
        cancelButton.SetTabOrder(0);
        divider.SetAlign(Align::Bottom);
        divider.SetBounds(0, 0, 600, 2);
        divider.SetShape(Bevel::Shape::BottomLine);
        pages.SetAlign(Align::Client);
        languages.SetBounds(20, 20, 200, 21);
        log.SetAlign(Align::Bottom);
        log.SetBounds(0, 0, 0, 80);
        progress.SetBounds(20, 60, 300, 16);
    }

    Image& banner = Make<Image>("Banner", this);
    Label& title = Make<Label>("Title", this);
    Panel& buttonBar = Make<Panel>("ButtonBar", this);
    Button& nextButton = Make<Button>("NextButton", &buttonBar);
    Button& cancelButton = Make<Button>("CancelButton", &buttonBar);
    Bevel& divider = Make<Bevel>("Divider", this);
    Notebook& pages = Make<Notebook>("Pages", this);
    Page& welcomePage = pages.AddPage("Welcome");
    Page& progressPage = pages.AddPage("Progress");
    Label& intro = Make<Label>("Intro", &welcomePage);
    ComboBox& languages = Make<ComboBox>("Languages", &progressPage);
    Memo& log = Make<Memo>("Log", &progressPage);
    ProgressBar& progress = Make<ProgressBar>("Progress", &progressPage);
};

// A small stay-on-top dialog with a status line, a default button and
// another button.
class StatusDialog : public Form {
public:
    explicit StatusDialog(Application& app) : Form(app, "StatusDialog") {
        SetClientSize(300, 100);
        SetBorderStyle(BorderStyle::Dialog);
        SetStayOnTop(true);
        status.SetBounds(10, 15, 280, 17);
        other.SetBounds(20, 60, 75, 25);
        cancel.SetBounds(112, 60, 75, 25);
        cancel.SetCaption("&Cancel");
        cancel.SetDefault(true);
        other.SetCaption("Other");
        other.OnClick = [this] { ++otherClicks; };
        cancel.OnClick = [this] { ++cancelClicks; };
        OnCloseQuery = [this] {
            Hide();
            return false;
        };
    }

    Label& status = Make<Label>("Status", this);
    Button& other = Make<Button>("Other", this);
    Button& cancel = Make<Button>("Cancel", this);
    int otherClicks = 0;
    int cancelClicks = 0;
};

} // namespace ui_test
