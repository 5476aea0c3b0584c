#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/Control.h"
#include "ui/UiPort.h"

namespace ui {

class Button;
class ComboBox;

// A backend without a screen, for tests. It records every message box and
// input query and answers them from a script; every control gets a peer that
// records the changes it is told about. Run() shows the main form, plays the
// script of user actions given to it and returns.
class ScriptedUiPort : public UiPort {
public:
    struct ShownBox {
        MessageBoxRequest request;
        MsgResult answer;
        // False when no answer was queued: answered as a run without a person
        // answers it (AnswerWithoutPerson).
        bool scripted;
    };
    struct ShownQuery {
        std::string caption;
        std::string prompt;
        std::string defaultValue;
    };

    ScriptedUiPort();
    ~ScriptedUiPort() override;

    // Queues the answer to the next message box.
    void Answer(MsgResult answer) { m_answers.push_back(answer); }
    // Queues the answer to the next input query (nullopt: Cancel).
    void AnswerInput(std::optional<std::string> text) { m_inputs.push_back(std::move(text)); }

    const std::vector<ShownBox>& Boxes() const { return m_boxes; }
    const std::vector<ShownQuery>& Queries() const { return m_queries; }
    // Boxes and queries that found no queued answer, and answers left over.
    int Unanswered() const { return m_unanswered; }
    std::size_t AnswersLeft() const { return m_answers.size() + m_inputs.size(); }

    // What Run() does while the main form is shown.
    std::function<void()> WhileRunning;

    // What the user does while the program handles pending events (clicks
    // during a long step); called on every ProcessPendingEvents.
    std::function<void()> WhileProcessingEvents;
    // Runs when a form is realized (tests reach dialogs made inside a step).
    std::function<void(Form&)> OnRealize;

    int ProcessEventsCalls() const { return m_processEventsCalls; }
    bool Running() const { return m_running; }
    bool TerminateRequested() const { return m_terminate; }
    // The changes told to a control's peer, in order; empty for a control
    // that was never realized.
    std::vector<Aspect> Updates(const Control& control) const;
    // Runs whenever a control reports a change (tests watch repaints).
    std::function<void(const Control&, Aspect)> OnUpdate;

    // The scripted screen. A form's frame is the rectangle given to
    // SetFrameBounds for it (until the form is unrealized), else its client
    // area widened by the frame margins, which are all 0 until set, placed
    // at its Position (the screen's corner 0,0 when it has none). The work
    // area is 0, 0, 1024 x 768 and the scroll arrows are 17 pixels high
    // until set.
    struct FrameMargins {
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
    };
    void SetFrameMargins(const FrameMargins& margins) { m_margins = margins; }
    void SetFrameBounds(const Form& form, const Bounds& outer) { m_frames[&form] = outer; }
    void SetWorkArea(const Bounds& area) { m_workArea = area; }
    void SetScrollArrowHeight(int height) { m_scrollArrowHeight = height; }

    void Realize(Form& form) override;
    void Unrealize(Form& form) override;
    MsgResult ShowMessageBox(const MessageBoxRequest& request) override;
    std::optional<std::string> InputQuery(const std::string& caption, const std::string& prompt,
                                          const std::string& defaultValue) override;
    void ProcessPendingEvents() override;
    void Run(Form& mainForm) override;
    void Terminate() override;
    void SetBusy(bool busy) override { m_busy = busy; }
    // Whether the busy cursor is shown now.
    bool Busy() const { return m_busy; }
    Bounds FrameBounds(const Form& form) const override;
    Bounds WorkArea() const override { return m_workArea; }
    int ScrollArrowHeight() const override { return m_scrollArrowHeight; }

private:
    class RecordingPeer;
    void AttachPeers(Control& control);
    void DetachPeers(Control& control);

    std::deque<MsgResult> m_answers;
    std::deque<std::optional<std::string>> m_inputs;
    std::vector<ShownBox> m_boxes;
    std::vector<ShownQuery> m_queries;
    int m_unanswered = 0;
    int m_processEventsCalls = 0;
    bool m_running = false;
    bool m_terminate = false;
    bool m_busy = false;
    std::map<const Control*, std::unique_ptr<RecordingPeer>> m_peers;
    std::map<const Form*, Bounds> m_frames;
    FrameMargins m_margins;
    Bounds m_workArea{0, 0, 1024, 768};
    int m_scrollArrowHeight = 17;
};

// Test helpers acting as the user would; they throw std::logic_error when
// the form has no component of that name and kind.
Button& FindButton(Form& form, const std::string& name);
ComboBox& FindComboBox(Form& form, const std::string& name);
Control& FindControl(Form& form, const std::string& name);
void Click(Form& form, const std::string& name);

} // namespace ui
