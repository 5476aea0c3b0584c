#pragma once

#include "ui/Control.h"

namespace ui {

// A line or frame drawn for structure; `BottomLine` draws one etched line
// along the bottom edge.
class Bevel : public Control {
public:
    enum class Shape { BottomLine, TopLine, Frame };
    Bevel(Component* owner, std::string name, Control* parent);
    Kind GetKind() const override { return Kind::Bevel; }
    Shape GetShape() const { return m_shape; }
    void SetShape(Shape shape) { m_shape = shape; }

private:
    Shape m_shape = Shape::Frame;
};

} // namespace ui
