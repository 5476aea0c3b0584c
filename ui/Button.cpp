#include "ui/Button.h"

namespace ui {

Button::Button(Component* owner, std::string name, Control* parent)
    : Control(owner, std::move(name), parent) {
    PublishCaption();
    PublishOther("Default");
    PublishOther("Cancel");
}

void Button::SetDefault(bool isDefault) {
    m_default = isDefault;
    Changed(Aspect::Style);
}

void Button::Click() {
    if (Visible() && Enabled()) {
        Dispatch(OnClick);
    }
}

} // namespace ui
