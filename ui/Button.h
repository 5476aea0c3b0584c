#pragma once

#include <functional>

#include "ui/Control.h"

namespace ui {

// A push button.
class Button : public Control {
public:
    Button(Component* owner, std::string name, Control* parent);
    Kind GetKind() const override { return Kind::Button; }

    std::function<void()> OnClick;

    // The default button of its form: Enter on the form presses it (see
    // Form::DefaultButton), and the backend draws it as the default.
    bool Default() const { return m_default; }
    void SetDefault(bool isDefault);

    // Presses the button: runs OnClick under the top-level handler when the
    // button is visible and enabled, as a user's click would.
    void Click();

private:
    bool m_default = false;
};

} // namespace ui
