#pragma once

#include <exception>
#include <functional>
#include <optional>
#include <string>

#include "ui/MessageBox.h"

namespace ui {

class Form;
class UiPort;

// The application object: its title, its main form, the top-level error
// handler around every event handler, and the way to the backend.
class Application {
public:
    Application(UiPort& port, std::string title);

    const std::string& Title() const { return m_title; }
    void SetTitle(std::string title) { m_title = std::move(title); }
    UiPort& Port() const { return m_port; }

    // Realizes the form and runs its OnCreate handler under the top-level
    // handler. The first form created becomes the main form.
    void CreateForm(Form& form);
    Form* MainForm() const { return m_mainForm; }
    // Realizes a secondary window (a progress dialog) and runs its OnCreate
    // handler; it never becomes the main form.
    void CreateDialog(Form& form);

    // Shows the main form and runs the message loop until the main form
    // closes or Terminate() is called.
    void Run();
    // Ends the application at once: the message loop stops.
    void Terminate();
    bool Terminated() const { return m_terminated; }

    // The top-level handler: runs `handler`; an error it raises is shown in
    // an error box and the program goes on.
    void HandleEvent(const std::function<void()>& handler) noexcept;
    // Shows the error box for `message`: the message (with a full stop added
    // when its last character sorts after "."), an error icon and OK,
    // captioned with the title.
    void ShowException(const std::string& message);

    // A modal message box captioned with `caption` (the title when empty).
    MsgResult MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                         MsgIcon icon = MsgIcon::None, int defaultButton = 0);
    // A modal message box as `request` describes it, captioned with the
    // title when its caption is empty.
    MsgResult MessageBox(MessageBoxRequest request);
    void ProcessMessages();
    // Shows the busy cursor over the program's windows while `busy` is set.
    void SetBusy(bool busy);

    // Called by forms.
    void FormClosed(Form& form);
    void FormDestroyed(Form& form);

private:
    UiPort& m_port;
    std::string m_title;
    Form* m_mainForm = nullptr;
    bool m_terminated = false;
};

// The text the error box shows for an error message.
std::string ErrorBoxText(const std::string& message);

} // namespace ui
