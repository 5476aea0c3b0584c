#pragma once

#include <optional>
#include <string>

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
};

} // namespace ui
