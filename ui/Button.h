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

    // Presses the button: runs OnClick under the top-level handler when the
    // button is visible and enabled, as a user's click would.
    void Click();
};

} // namespace ui
