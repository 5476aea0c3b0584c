#pragma once

#include <optional>
#include <string>

#include "ui/Control.h"
#include "ui/MessageBox.h"

namespace ui {

class Form;

// The backend that draws windows and talks to the user: Qt Widgets, native
// Win32, or a scripted stand-in for tests. The wizard's code reaches it only
// through the Application and the forms.
class UiPort {
public:
    virtual ~UiPort() = default;

    // Gives the form and every control on it a peer; from then on every
    // change of a control reaches the screen. Called once per form, before
    // its creation handler runs.
    virtual void Realize(Form& form) = 0;
    // Drops the peers of a form that is being destroyed.
    virtual void Unrealize(Form& form) = 0;

    // Shows a modal message box and returns the user's answer.
    virtual MsgResult ShowMessageBox(const MessageBoxRequest& request) = 0;

    // Asks for one line of text in a modal dialog; nullopt when cancelled.
    virtual std::optional<std::string> InputQuery(const std::string& caption,
                                                  const std::string& prompt,
                                                  const std::string& defaultValue) = 0;

    // Handles the window messages that are waiting (paint, clicks, ...) and
    // returns; used while the window's thread is busy with a long step.
    virtual void ProcessPendingEvents() = 0;

    // Shows `mainForm` and handles window messages until the main form is
    // closed or Terminate() is called.
    virtual void Run(Form& mainForm) = 0;

    // Ends the message loop of Run at the next opportunity.
    virtual void Terminate() = 0;

    // Shows the busy cursor over the program's windows while `busy` is set
    // (the program waits for something outside it and keeps painting).
    virtual void SetBusy(bool busy) = 0;

    // The outer rectangle of the form's window on the screen, frame and
    // title bar included, in pixels. A window without a frame yet (one not
    // realized, or not yet decorated by the window manager) reports its
    // position and its client size.
    virtual Bounds FrameBounds(const Form& form) const = 0;
    // The part of the primary screen that windows may cover: the screen
    // without task bars, panels and docks.
    virtual Bounds WorkArea() const = 0;
    // The height of the arrow button of a vertical scroll bar, in pixels:
    // the height controls take to match the platform's scroll bars.
    virtual int ScrollArrowHeight() const = 0;
};

} // namespace ui
