#include "ui/Form.h"

#include "ui/Application.h"
#include "ui/Button.h"

namespace ui {

namespace {
Button* FindDefault(const Control& parent) {
    for (Control* child : parent.Children()) {
        if (child->GetKind() == Control::Kind::Button) {
            auto* button = static_cast<Button*>(child);
            if (button->Default() && button->Visible() && button->Enabled()) {
                return button;
            }
        }
        if (Button* found = FindDefault(*child)) {
            return found;
        }
    }
    return nullptr;
}
} // namespace

Form::Form(Application& app, std::string name)
    : Control(nullptr, std::move(name), nullptr), m_app(app) {
    PublishCaption();
    SetVisible(false);
}

Form::~Form() {
    m_app.FormDestroyed(*this);
}

void Form::SetClientSize(int width, int height) {
    SetBounds(GetBounds().left, GetBounds().top, width, height);
}

void Form::SetPosition(int left, int top) {
    m_position = ScreenPoint{left, top};
    Changed(Aspect::Bounds);
}

void Form::SetBorderStyle(BorderStyle style) {
    m_borderStyle = style;
    Changed(Aspect::Style);
}

void Form::SetStayOnTop(bool stayOnTop) {
    m_stayOnTop = stayOnTop;
    Changed(Aspect::Style);
}

Button* Form::DefaultButton() const {
    return FindDefault(*this);
}

void Form::EnterPressed() {
    if (Button* button = DefaultButton()) {
        button->Click();
    }
}

void Form::Close() {
    m_closed = true;
    SetVisible(false);
    m_app.FormClosed(*this);
}

void Form::CloseByUser() {
    Dispatch([this] {
        if (!OnCloseQuery || OnCloseQuery()) {
            Close();
        }
    });
}

} // namespace ui
