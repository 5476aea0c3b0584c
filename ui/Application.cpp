#include "ui/Application.h"

#include "ui/Form.h"
#include "ui/UiPort.h"

namespace ui {

Application::Application(UiPort& port, std::string title)
    : m_port(port), m_title(std::move(title)) {}

void Application::CreateForm(Form& form) {
    if (m_mainForm == nullptr) {
        m_mainForm = &form;
    }
    CreateDialog(form);
}

void Application::CreateDialog(Form& form) {
    m_port.Realize(form);
    if (form.OnCreate) {
        HandleEvent(form.OnCreate);
    }
}

void Application::Run() {
    if (m_mainForm == nullptr || m_terminated) {
        return;
    }
    m_port.Run(*m_mainForm);
}

void Application::Terminate() {
    m_terminated = true;
    m_port.Terminate();
}

void Application::HandleEvent(const std::function<void()>& handler) noexcept {
    try {
        handler();
    } catch (const std::exception& error) {
        ShowException(error.what());
    } catch (...) {
        ShowException("Unknown error");
    }
}

std::string ErrorBoxText(const std::string& message) {
    // Plain text comparison of the last byte: a message ending in a letter,
    // a digit or any non-ASCII character gets its full stop, one ending in
    // ".", "!", ")" and the like stays as it is.
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') {
        return message + ".";
    }
    return message;
}

void Application::ShowException(const std::string& message) {
    try {
        m_port.ShowMessageBox({ErrorBoxText(message), m_title, MsgButtons::Ok, MsgIcon::Error, 0, {}});
    } catch (...) {
        // Nothing is left to report the failure of the error box itself to.
    }
}

MsgResult Application::MessageBox(const std::string& text, const std::string& caption,
                                  MsgButtons buttons, MsgIcon icon, int defaultButton) {
    return MessageBox(MessageBoxRequest{text, caption, buttons, icon, defaultButton, {}});
}

MsgResult Application::MessageBox(MessageBoxRequest request) {
    if (request.caption.empty()) {
        request.caption = m_title;
    }
    return m_port.ShowMessageBox(request);
}

void Application::ProcessMessages() {
    m_port.ProcessPendingEvents();
}

void Application::SetBusy(bool busy) {
    m_port.SetBusy(busy);
}

void Application::FormClosed(Form& form) {
    if (&form == m_mainForm) {
        m_port.Terminate();
    }
}

void Application::FormDestroyed(Form& form) {
    m_port.Unrealize(form);
    if (&form == m_mainForm) {
        m_mainForm = nullptr;
    }
}

} // namespace ui
