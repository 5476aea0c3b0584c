#include "ui/scripted/ScriptedUiPort.h"

#include <stdexcept>

#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/Form.h"

namespace ui {

class ScriptedUiPort::RecordingPeer : public ControlPeer {
public:
    RecordingPeer(ScriptedUiPort& port, const Control& control) : m_port(port), m_control(control) {}
    void Update(Aspect aspect) override {
        updates.push_back(aspect);
        if (m_port.OnUpdate) {
            m_port.OnUpdate(m_control, aspect);
        }
    }
    std::vector<Aspect> updates;

private:
    ScriptedUiPort& m_port;
    const Control& m_control;
};

ScriptedUiPort::ScriptedUiPort() = default;

ScriptedUiPort::~ScriptedUiPort() {
    for (auto& [control, peer] : m_peers) {
        const_cast<Control*>(control)->AttachPeer(nullptr);
    }
}

std::vector<Aspect> ScriptedUiPort::Updates(const Control& control) const {
    auto found = m_peers.find(&control);
    return found == m_peers.end() ? std::vector<Aspect>{} : found->second->updates;
}

void ScriptedUiPort::AttachPeers(Control& control) {
    auto peer = std::make_unique<RecordingPeer>(*this, control);
    control.AttachPeer(peer.get());
    m_peers[&control] = std::move(peer);
    for (Control* child : control.Children()) {
        AttachPeers(*child);
    }
}

void ScriptedUiPort::DetachPeers(Control& control) {
    control.AttachPeer(nullptr);
    m_peers.erase(&control);
    for (Control* child : control.Children()) {
        DetachPeers(*child);
    }
}

void ScriptedUiPort::Realize(Form& form) {
    AttachPeers(form);
    if (OnRealize) {
        OnRealize(form);
    }
}

void ScriptedUiPort::Unrealize(Form& form) {
    DetachPeers(form);
    m_frames.erase(&form);
}

MsgResult ScriptedUiPort::ShowMessageBox(const MessageBoxRequest& request) {
    ShownBox shown{request, AnswerWithoutPerson(request), false};
    if (!m_answers.empty()) {
        shown.answer = m_answers.front();
        shown.scripted = true;
        m_answers.pop_front();
    } else {
        ++m_unanswered;
    }
    m_boxes.push_back(shown);
    return shown.answer;
}

std::optional<std::string> ScriptedUiPort::InputQuery(const std::string& caption,
                                                      const std::string& prompt,
                                                      const std::string& defaultValue) {
    m_queries.push_back({caption, prompt, defaultValue});
    if (m_inputs.empty()) {
        ++m_unanswered;
        return std::nullopt;
    }
    auto answer = m_inputs.front();
    m_inputs.pop_front();
    return answer;
}

void ScriptedUiPort::ProcessPendingEvents() {
    ++m_processEventsCalls;
    if (WhileProcessingEvents) {
        WhileProcessingEvents();
    }
}

void ScriptedUiPort::Run(Form& mainForm) {
    if (m_terminate) {
        return;
    }
    m_running = true;
    mainForm.Show();
    if (WhileRunning) {
        WhileRunning();
    }
    m_running = false;
}

void ScriptedUiPort::Terminate() {
    m_terminate = true;
}

Bounds ScriptedUiPort::FrameBounds(const Form& form) const {
    auto found = m_frames.find(&form);
    if (found != m_frames.end()) {
        return found->second;
    }
    const ScreenPoint position = form.Position().value_or(ScreenPoint{});
    const Bounds& client = form.GetBounds();
    return {position.left, position.top, m_margins.left + client.width + m_margins.right,
            m_margins.top + client.height + m_margins.bottom};
}

Control& FindControl(Form& form, const std::string& name) {
    auto* control = dynamic_cast<Control*>(form.FindComponent(name));
    if (control == nullptr) {
        throw std::logic_error("no control named " + name);
    }
    return *control;
}

Button& FindButton(Form& form, const std::string& name) {
    auto* button = dynamic_cast<Button*>(&FindControl(form, name));
    if (button == nullptr) {
        throw std::logic_error(name + " is not a button");
    }
    return *button;
}

ComboBox& FindComboBox(Form& form, const std::string& name) {
    auto* box = dynamic_cast<ComboBox*>(&FindControl(form, name));
    if (box == nullptr) {
        throw std::logic_error(name + " is not a drop-down list");
    }
    return *box;
}

void Click(Form& form, const std::string& name) {
    FindButton(form, name).Click();
}

} // namespace ui
