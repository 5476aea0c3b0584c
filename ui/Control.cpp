#include "ui/Control.h"

#include <algorithm>

#include "ui/Application.h"
#include "ui/Form.h"

namespace ui {

Control::Control(Component* owner, std::string name, Control* parent)
    : Component(owner, std::move(name)), m_parent(parent) {
    if (m_parent != nullptr) {
        m_parent->m_children.push_back(this);
    }
    for (const char* other : {"Left", "Top", "Width", "Height", "Visible", "Enabled", "Align",
                              "Font", "TabOrder"}) {
        PublishOther(other);
    }
    PublishText(
        "Hint", [this] { return m_hint; }, [this](const std::string& v) { SetHint(v); });
}

Control::~Control() {
    if (m_parent != nullptr) {
        auto& siblings = m_parent->m_children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    for (Control* child : m_children) {
        child->m_parent = nullptr;
    }
}

Form& Control::OwningForm() {
    Control* control = this;
    while (control->m_parent != nullptr) {
        control = control->m_parent;
    }
    return static_cast<Form&>(*control);
}

void Control::SetBounds(int left, int top, int width, int height) {
    m_bounds = {left, top, width, height};
    Changed(Aspect::Bounds);
}

void Control::SetAlign(Align align) {
    m_align = align;
    Changed(Aspect::Bounds);
}

void Control::SetVisible(bool visible) {
    if (m_visible != visible) {
        m_visible = visible;
        Changed(Aspect::Visible);
    }
}

void Control::SetEnabled(bool enabled) {
    if (m_enabled != enabled) {
        m_enabled = enabled;
        Changed(Aspect::Enabled);
    }
}

void Control::SetCaption(const std::string& caption) {
    m_caption = caption;
    Changed(Aspect::Caption);
}

void Control::SetHint(const std::string& hint) {
    m_hint = hint;
    Changed(Aspect::Hint);
}

void Control::SetFont(const Font& font) {
    m_font = font;
    Changed(Aspect::Font);
}

Font Control::EffectiveFont() const {
    for (const Control* control = this; control != nullptr; control = control->m_parent) {
        if (control->m_font) {
            return *control->m_font;
        }
    }
    return Font{};
}

void Control::SetColor(Color color) {
    m_color = color;
    Changed(Aspect::Color);
}

void Control::Changed(Aspect aspect) {
    if (m_peer != nullptr) {
        m_peer->Update(aspect);
    }
}

void Control::Dispatch(const std::function<void()>& handler) {
    if (handler) {
        OwningForm().App().HandleEvent(handler);
    }
}

void Control::PublishCaption() {
    PublishText(
        "Caption", [this] { return m_caption; },
        [this](const std::string& v) { SetCaption(v); });
}

} // namespace ui
