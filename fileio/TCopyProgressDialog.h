#pragma once

#include <string>

#include "ui/Button.h"
#include "ui/Form.h"
#include "ui/Label.h"
#include "ui/ProgressBar.h"

struct CopyTexts;

// The progress window of a file copy: the operation's title as caption, the
// file being copied, a bar over the bytes of the whole copy and Cancel.
// Cancel only marks the copy as cancelled; the copy loop stops at its next
// check.
class TCopyProgressDialog : public ui::Form {
public:
    TCopyProgressDialog(ui::Application& app, const std::string& title, const CopyTexts& texts);
    ~TCopyProgressDialog() override;

    ui::Label& lbAction;
    ui::Label& lbFileName;
    ui::ProgressBar& ProgressBar;
    ui::Button& btnCancel;

    void ShowFile(const std::string& from, const std::string& to);
    // Position of the bar in parts of 10000.
    void SetFraction(double fraction);
    bool CancelRequested() const { return m_cancel; }

private:
    const CopyTexts& m_texts;
    bool m_cancel = false;
};
