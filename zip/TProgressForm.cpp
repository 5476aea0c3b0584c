#include "zip/TProgressForm.h"

#include "ui/Application.h"
#include "ui/UiPort.h"

namespace {

constexpr int kClientWidth = 300;
constexpr int kClientHeight = 100;
constexpr int kBarWidth = 280;

// Controls are centred across the client width. The division truncates
// toward zero, also for a control wider than the client area.
int CentredLeft(int width) {
    return (kClientWidth - width) / 2;
}

} // namespace

TProgressForm::TProgressForm(ui::Application& app, ui::Component& zipOwner, bool& cancelled,
                             const std::string& cancelCaption)
    : ui::Form(app, "ProgressForm"), ZipOwner(zipOwner),
      FileLabel(Make<ui::Label>("FileLabel", this)),
      ProgressBar(Make<ui::ProgressBar>("ProgressBar", this)),
      CancelButton(Make<ui::Button>("CancelButton", this)), m_cancelled(cancelled) {
    SetBorderStyle(ui::BorderStyle::Dialog);
    SetCaption(app.Title());
    SetClientSize(kClientWidth, kClientHeight);
    SetStayOnTop(true);

    // Labels of the framework never size themselves to their text; without
    // word wrap a long entry name stays on one line, cut at the right edge.
    FileLabel.SetAlignment(ui::TextAlign::Left);
    FileLabel.SetWordWrap(false);
    FileLabel.SetCaption("wait ...");
    FileLabel.SetBounds(CentredLeft(kBarWidth), 15, kBarWidth, 17);

    // As high as the arrow of a vertical scroll bar, like the platform's own
    // progress bars.
    ProgressBar.SetBounds(CentredLeft(kBarWidth), 35, kBarWidth, app.Port().ScrollArrowHeight());
    ProgressBar.SetMax(100);
    ProgressBar.SetPosition(0);

    CancelButton.SetCaption(cancelCaption);
    CancelButton.SetDefault(true);
    CancelButton.SetBounds(CentredLeft(75), 60, 75, 25);
    CancelButton.OnClick = [this] { CancelClick(); };

    OnCloseQuery = [this] {
        Hide();
        return false;
    };

    // The window must exist before it can be placed: its frame counts.
    app.CreateDialog(*this);
    PlaceWindow();
}

TProgressForm::~TProgressForm() = default;

void TProgressForm::PlaceWindow() {
    ui::UiPort& port = App().Port();
    const ui::Bounds own = port.FrameBounds(*this);
    const ui::Form* mainForm = App().MainForm();
    const ui::Bounds around = mainForm != nullptr ? port.FrameBounds(*mainForm) : port.WorkArea();
    SetPosition(around.left + (around.width - own.width) / 2,
                around.top + (around.height - own.height) / 2);
}

void TProgressForm::ShowFileName(const std::string& text) {
    FileLabel.SetCaption(text);
    const ui::Bounds& bounds = FileLabel.GetBounds();
    FileLabel.SetBounds(CentredLeft(bounds.width), bounds.top, bounds.width, bounds.height);
}

void TProgressForm::SetBarMax(int value) {
    ProgressBar.SetMax(value);
}

void TProgressForm::SetBarPosition(int value) {
    ProgressBar.SetPosition(value);
}

void TProgressForm::CancelClick() {
    m_cancelled = true;
    Hide();
}
