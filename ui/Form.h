#pragma once

#include <functional>
#include <optional>
#include <string>

#include "ui/Control.h"

namespace ui {

class Application;
class Button;

// The frame of a form's window. Both are of fixed size, with a title bar and
// a close box but no minimise or maximise box. A dialog's window is marked
// as a dialog to the window system, which may draw it without an icon and
// leave it out of the task bar.
enum class BorderStyle { Single, Dialog };

// A place on the screen, in pixels.
struct ScreenPoint {
    int left = 0;
    int top = 0;
};

// A top-level window. It owns every component of the window and is its own
// parent-less control; its bounds are the client area (their Left and Top
// are not used: the window's place is its Position). The form reaches the
// application (and through it the backend) it was made for.
class Form : public Control {
public:
    explicit Form(Application& app, std::string name);
    ~Form() override;

    Kind GetKind() const override { return Kind::Form; }
    Application& App() const { return m_app; }

    // Client area size in pixels at 96 dots per inch.
    void SetClientSize(int width, int height);

    // Where the program put the window: the top-left corner of its outer
    // frame on the screen. None until SetPosition is called; the backend
    // then centres the window on the screen each time it shows it. Where
    // the window is now, frame included, is told by UiPort::FrameBounds.
    const std::optional<ScreenPoint>& Position() const { return m_position; }
    void SetPosition(int left, int top);

    BorderStyle GetBorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(BorderStyle style);
    // Whether the window stays above the windows of other programs.
    bool StayOnTop() const { return m_stayOnTop; }
    void SetStayOnTop(bool stayOnTop);

    // The button that Enter presses: the first button on the form, in the
    // order of the control tree, whose Default is set and which is visible
    // and enabled; nullptr when there is none.
    Button* DefaultButton() const;
    // Backend: Enter was pressed on a control that does not take it itself;
    // presses the default button, if any.
    void EnterPressed();

    // The window icon and its picture resource name ("" for the default).
    const std::string& IconResource() const { return m_iconResource; }
    void SetIconResource(std::string name) { m_iconResource = std::move(name); }

    // Runs when the application creates the form, under the top-level
    // handler; an error ends the handler and the form is shown all the same.
    std::function<void()> OnCreate;

    // Asked when the user closes the window by its system menu; returning
    // false keeps the window open. None: the window closes.
    std::function<bool()> OnCloseQuery;

    // Closes the window: hides it; closing the application's main form ends
    // the message loop.
    void Close();
    bool Closed() const { return m_closed; }

    // Backend: the user closed the window by its system menu; asks
    // OnCloseQuery, then closes.
    void CloseByUser();

private:
    Application& m_app;
    std::string m_iconResource;
    std::optional<ScreenPoint> m_position;
    BorderStyle m_borderStyle = BorderStyle::Single;
    bool m_stayOnTop = false;
    bool m_closed = false;
};

} // namespace ui
