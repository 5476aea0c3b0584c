#include "ui/Form.h"

#include "ui/Application.h"

namespace ui {

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
