#pragma once

#include <string>

#include "ui/Button.h"
#include "ui/Form.h"
#include "ui/Label.h"
#include "ui/ProgressBar.h"

// The window an extraction shows while the unzip engine runs: the entry
// being unpacked, a bar over the bytes of the batch and Cancel. It is a
// stay-on-top dialog of client size 300 x 100 captioned with the application
// title, centred over the application's main form, or in the desktop's work
// area when there is none.
//
// Cancel (the button, or Enter, which presses it) sets the owner's stop
// request and hides the dialog; the running extraction sees the request at
// its next callback. Closing the window from its title bar only hides it:
// the extraction goes on.
class TProgressForm : public ui::Form {
public:
    // Builds the dialog, realizes it in the application's backend and
    // places it; the dialog starts hidden. `zipOwner` is the archive
    // component the dialog works for and `cancelled` its stop request
    // (TZip::Cancelled); both must outlive the dialog. `cancelCaption` is
    // the button's caption, "&" before its access key. The caller must not
    // create the dialog in the application again.
    TProgressForm(ui::Application& app, ui::Component& zipOwner, bool& cancelled,
                  const std::string& cancelCaption = "&Cancel");
    ~TProgressForm() override;

    ui::Component& ZipOwner;
    ui::Label& FileLabel;
    ui::ProgressBar& ProgressBar;
    ui::Button& CancelButton;

    // Shows `text` (an entry name) in the label, centred as the label is.
    // A text wider than the label is cut off at its right edge.
    void ShowFileName(const std::string& text);
    // The bar runs from 0 to 100 until the first batch size is set here.
    void SetBarMax(int value);
    void SetBarPosition(int value);

    // The Cancel button's click handler.
    void CancelClick();

private:
    void PlaceWindow();

    bool& m_cancelled;
};
