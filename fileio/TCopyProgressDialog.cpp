#include "fileio/TCopyProgressDialog.h"

#include <algorithm>

#include "fileio/TIOClass.h"
#include "ui/Text.h"

TCopyProgressDialog::TCopyProgressDialog(ui::Application& app, const std::string& title,
                                         const CopyTexts& texts)
    : ui::Form(app, "CopyProgressDialog"),
      lbAction(Make<ui::Label>("lbAction", this)),
      lbFileName(Make<ui::Label>("lbFileName", this)),
      ProgressBar(Make<ui::ProgressBar>("ProgressBar", this)),
      btnCancel(Make<ui::Button>("btnCancel", this)), m_texts(texts) {
    SetCaption(title);
    SetClientSize(400, 120);
    SetFont(ui::Font{"Verdana", 11, false, ui::ColorBlack});
    lbAction.SetBounds(12, 10, 376, 16);
    lbFileName.SetBounds(12, 30, 376, 32);
    lbFileName.SetWordWrap(true);
    ProgressBar.SetBounds(12, 64, 376, 16);
    ProgressBar.SetMax(10000);
    btnCancel.SetBounds(313, 88, 75, 25);
    btnCancel.SetCaption(texts.cancel);
    btnCancel.OnClick = [this] { m_cancel = true; };
    OnCloseQuery = [this] {
        m_cancel = true;
        return false;
    };
}

TCopyProgressDialog::~TCopyProgressDialog() = default;

void TCopyProgressDialog::ShowFile(const std::string& from, const std::string& to) {
    lbAction.SetCaption(ui::FormatText(m_texts.copying, from));
    lbFileName.SetCaption(ui::FormatText(m_texts.to, to));
}

void TCopyProgressDialog::SetFraction(double fraction) {
    ProgressBar.SetPosition(static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 10000.0));
}
