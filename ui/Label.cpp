#include "ui/Label.h"

namespace ui {

Label::Label(Component* owner, std::string name, Control* parent)
    : Control(owner, std::move(name), parent) {
    PublishCaption();
    PublishOther("Alignment");
    PublishOther("WordWrap");
    PublishOther("Transparent");
    PublishOther("AutoSize");
}

void Label::SetAlignment(TextAlign alignment) {
    m_alignment = alignment;
    Changed(Aspect::Caption);
}

void Label::SetWordWrap(bool wrap) {
    m_wordWrap = wrap;
    Changed(Aspect::Caption);
}

void Label::SetTransparent(bool transparent) {
    m_transparent = transparent;
    Changed(Aspect::Color);
}

} // namespace ui
