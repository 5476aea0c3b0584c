#include "ui/UnattendedUiPort.h"

#include "ui/Form.h"

namespace ui {

namespace {

// The screen a run without one reports: the size every dialog is placed on.
constexpr Bounds kNoScreen{0, 0, 1024, 768};
constexpr int kNoScreenScrollArrow = 17;

} // namespace

UnattendedUiPort::UnattendedUiPort(UiPort* screen) : m_screen(screen) {}

void UnattendedUiPort::Realize(Form& form) {
    if (m_screen != nullptr) {
        m_screen->Realize(form);
    }
}

void UnattendedUiPort::Unrealize(Form& form) {
    if (m_screen != nullptr) {
        m_screen->Unrealize(form);
    }
}

MsgResult UnattendedUiPort::ShowMessageBox(const MessageBoxRequest& request) {
    const MsgResult answer = AnswerWithoutPerson(request);
    Answered(request.text, answer);
    return answer;
}

std::optional<std::string> UnattendedUiPort::InputQuery(const std::string&,
                                                        const std::string& prompt,
                                                        const std::string&) {
    Answered(prompt, MsgResult::Cancel);
    return std::nullopt;
}

void UnattendedUiPort::Answered(const std::string& question, MsgResult answer) {
    if (OnAnswered) {
        OnAnswered(question, answer);
    }
}

void UnattendedUiPort::ProcessPendingEvents() {
    if (m_screen != nullptr) {
        m_screen->ProcessPendingEvents();
    }
}

void UnattendedUiPort::Run(Form& mainForm) {
    if (m_screen != nullptr) {
        m_screen->Run(mainForm);
    } else {
        mainForm.Show();
    }
}

void UnattendedUiPort::Terminate() {
    if (m_screen != nullptr) {
        m_screen->Terminate();
    }
}

void UnattendedUiPort::SetBusy(bool busy) {
    if (m_screen != nullptr) {
        m_screen->SetBusy(busy);
    }
}

Bounds UnattendedUiPort::FrameBounds(const Form& form) const {
    if (m_screen != nullptr) {
        return m_screen->FrameBounds(form);
    }
    const ScreenPoint position = form.Position().value_or(ScreenPoint{});
    return {position.left, position.top, form.GetBounds().width, form.GetBounds().height};
}

Bounds UnattendedUiPort::WorkArea() const {
    return m_screen != nullptr ? m_screen->WorkArea() : kNoScreen;
}

int UnattendedUiPort::ScrollArrowHeight() const {
    return m_screen != nullptr ? m_screen->ScrollArrowHeight() : kNoScreenScrollArrow;
}

} // namespace ui
