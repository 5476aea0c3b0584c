#pragma once

#include "ui/Control.h"

namespace ui {

// A text label. Transparent labels let the controls beneath show through
// (labels over the banner picture).
class Label : public Control {
public:
    Label(Component* owner, std::string name, Control* parent);
    Kind GetKind() const override { return Kind::Label; }

    TextAlign Alignment() const { return m_alignment; }
    void SetAlignment(TextAlign alignment);
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool wrap);
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool transparent);

private:
    TextAlign m_alignment = TextAlign::Left;
    bool m_wordWrap = false;
    bool m_transparent = true;
};

} // namespace ui
