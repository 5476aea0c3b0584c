#pragma once

#include "ui/Control.h"

namespace ui {

// A plain container: a button bar or a coloured background for other
// controls. A panel with a colour of its own is painted plainly in that
// colour instead of the theme's background.
class Panel : public Control {
public:
    Panel(Component* owner, std::string name, Control* parent);
    Kind GetKind() const override { return Kind::Panel; }
};

} // namespace ui
