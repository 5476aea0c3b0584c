#pragma once

#include <functional>
#include <optional>
#include <string>

#include "ui/UiPort.h"

namespace ui {

// The backend of a run without a person: a deployment tool's installation.
// Nothing waits for an answer. Every message box is answered as
// AnswerWithoutPerson says (its default button, Cancel at a disk prompt)
// and every input query is cancelled, without showing either; each answer
// is told to OnAnswered.
//
// With a screen (the desktop backend) the windows are drawn and their
// events handled by it, so the progress windows show and their Cancel
// buttons work. Without one nothing is drawn and no display is needed:
// controls get no peer, and the screen is taken to be 1024 x 768.
class UnattendedUiPort : public UiPort {
public:
    // `screen` may be null; when given it must outlive this port.
    explicit UnattendedUiPort(UiPort* screen);

    // Told every answer given in place of a person: the text of the box or
    // the prompt of the query, and the answer (Cancel for a query).
    std::function<void(const std::string& question, MsgResult answer)> OnAnswered;

    void Realize(Form& form) override;
    void Unrealize(Form& form) override;
    MsgResult ShowMessageBox(const MessageBoxRequest& request) override;
    std::optional<std::string> InputQuery(const std::string& caption, const std::string& prompt,
                                          const std::string& defaultValue) override;
    void ProcessPendingEvents() override;
    // Shows the main form; with a screen, handles its messages until it
    // closes.
    void Run(Form& mainForm) override;
    void Terminate() override;
    void SetBusy(bool busy) override;
    Bounds FrameBounds(const Form& form) const override;
    Bounds WorkArea() const override;
    int ScrollArrowHeight() const override;

private:
    void Answered(const std::string& question, MsgResult answer);

    UiPort* m_screen;
};

} // namespace ui
