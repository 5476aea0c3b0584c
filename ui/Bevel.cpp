#include "ui/Bevel.h"

namespace ui {

Bevel::Bevel(Component* owner, std::string name, Control* parent)
    : Control(owner, std::move(name), parent) {
    PublishOther("Shape");
    PublishOther("Style");
}

} // namespace ui
