#pragma once

#include <memory>
#include <optional>
#include <string>

#include "ui/UiPort.h"

namespace ui {

// The Qt Widgets backend. Every control gets a widget of its kind, named
// after the component (pages "page0", "page1", ...), and a peer that mirrors
// each change of the control on it (paced while the thread is busy, see
// ProcessPendingEvents). Pictures come from the program's Qt
// resources under ":/vg/".
//
// The port makes the QApplication when there is none yet and keeps it for
// its own lifetime; an existing one must be a QApplication. Destroying the
// port drops the peers and windows of the forms still realized.
class QtUiPort : public UiPort {
public:
    // `argc` and `argv` go to the QApplication and must outlive the port.
    QtUiPort(int& argc, char** argv);
    ~QtUiPort() override;
    QtUiPort(const QtUiPort&) = delete;
    QtUiPort& operator=(const QtUiPort&) = delete;

    void Realize(Form& form) override;
    // Drops the peers at once; the widgets go at once too, or once control
    // is back in the event loop when the form is destroyed by one of its own
    // event handlers.
    void Unrealize(Form& form) override;
    // A modal box over the active form window. Escape and the close button
    // answer Cancel where there is a Cancel button, else the last button.
    MsgResult ShowMessageBox(const MessageBoxRequest& request) override;
    std::optional<std::string> InputQuery(const std::string& caption, const std::string& prompt,
                                          const std::string& defaultValue) override;
    // From the first call until the thread waits for events again, label
    // texts and bar positions reach the screen at most once a frame, the
    // latest at the next call a frame later (qt::UpdatePacer).
    void ProcessPendingEvents() override;
    // Returns at once when Terminate() was called before.
    void Run(Form& mainForm) override;
    void Terminate() override;
    void SetBusy(bool busy) override;
    // The window's frame geometry. Qt knows a window's frame only once the
    // window manager has decorated it; until then the frame is taken to be
    // as wide as that of another framed window of the program, with its
    // top-left corner where the window was moved to (the client rectangle
    // when no window is framed yet).
    Bounds FrameBounds(const Form& form) const override;
    // The available geometry of the primary screen.
    Bounds WorkArea() const override;
    // The style's scroll-bar extent.
    int ScrollArrowHeight() const override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace ui
