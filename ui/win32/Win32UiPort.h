#pragma once

#include <memory>
#include <optional>
#include <string>

#include "ui/UiPort.h"

// The window handle type of <windows.h>, which this header leaves out.
struct HWND__;

namespace ui {

// The native Win32 backend, on plain windows and the common controls.
//
// Every control gets a window of a standard class: labels, pictures and
// bevel lines owner-drawn "Static" windows, buttons "Button", drop-down
// lists "ComboBox" (CBS_DROPDOWNLIST), memos read-only multi-line "Edit",
// progress bars "msctls_progress32"; panels, page holders and pages windows
// of the class "VgPanel" (a page holder shows its current page only), forms
// top-level windows of the class "VgForm" whose text is the caption. Later
// controls lie above earlier ones.
//
// Each window, forms included, carries its component name (pages "page0",
// "page1", ... in the order they were added) in the window property
// "VgName", as a global atom: win32::ComponentNameOf reads it in any process
// of the session, so a driver finds the wizard's "btnStart" by walking the
// windows with EnumWindows / EnumChildWindows. Search helpers are in
// ui/win32/Win32WindowNames.h.
//
// Positions, sizes and font heights are pixels at 96 dpi, scaled to the dots
// per inch of the screen the form's window is on (the process asks for
// per-monitor awareness when the manifest did not). Pictures and the window
// icon are BITMAP and ICON resources of the program, named as the controls
// name them; a picture that cannot be loaded shows nothing.
//
// Keyboard: Tab and Shift+Tab follow the tab order, Enter presses the
// focused button, else the form's default button; access keys and arrows go
// through IsDialogMessage. Text is UTF-8 inside and UTF-16 at the windows.
//
// All windows belong to the thread that made the port. Destroying the port
// destroys the windows of the forms still realized.
class Win32UiPort : public UiPort {
public:
    // Asks for the screen's dots per inch, sets up the common controls and
    // registers the window classes.
    Win32UiPort();
    ~Win32UiPort() override;
    Win32UiPort(const Win32UiPort&) = delete;
    Win32UiPort& operator=(const Win32UiPort&) = delete;

    void Realize(Form& form) override;
    // Drops the peers at once; the windows go at once too, or, when the form
    // is dropped by one of its own event handlers, hidden at once and
    // destroyed once the handlers have returned and the thread handles
    // messages again.
    void Unrealize(Form& form) override;
    // MessageBoxW, owned by the active form window (else the last one
    // shown). A box with a Cancel button answers Cancel to Escape and to its
    // close box; a lone OK answers Ok.
    MsgResult ShowMessageBox(const MessageBoxRequest& request) override;
    // A modal dialog built in memory (class "#32770"): the prompt, an edit
    // box of control ID kInputQueryEditId holding `defaultValue`, OK
    // (IDOK) and Cancel (IDCANCEL); Escape and the close box cancel.
    std::optional<std::string> InputQuery(const std::string& caption, const std::string& prompt,
                                          const std::string& defaultValue) override;
    // Handles the waiting messages, for at most about 100 ms, and returns. A
    // WM_QUIT is left for the loop of Run.
    void ProcessPendingEvents() override;
    // Returns at once when Terminate() was called before; also ends on a
    // WM_QUIT.
    void Run(Form& mainForm) override;
    void Terminate() override;
    void SetBusy(bool busy) override;
    // GetWindowRect of the form's window; the position and the client size
    // for a form not realized.
    Bounds FrameBounds(const Form& form) const override;
    // SPI_GETWORKAREA.
    Bounds WorkArea() const override;
    // SM_CYVSCROLL at 96 dpi, since controls are placed at 96 dpi.
    int ScrollArrowHeight() const override;

    static constexpr int kInputQueryEditId = 100;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

namespace win32 {

// The component name attached to a window of the backend (an HWND of this
// or another process); empty for any other window.
std::wstring ComponentNameOf(HWND__* window);

} // namespace win32

} // namespace ui
