#pragma once

#include <functional>
#include <string>

#include "ui/Control.h"

namespace ui {

class Application;

// A top-level window. It owns every component of the window and is its own
// parent-less control; its bounds are the client area. The form reaches the
// application (and through it the backend) it was made for.
class Form : public Control {
public:
    explicit Form(Application& app, std::string name);
    ~Form() override;

    Kind GetKind() const override { return Kind::Form; }
    Application& App() const { return m_app; }

    // Client area size in pixels at 96 dots per inch.
    void SetClientSize(int width, int height);

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
    bool m_closed = false;
};

} // namespace ui
