#include "ui/Panel.h"

namespace ui {

Panel::Panel(Component* owner, std::string name, Control* parent)
    : Control(owner, std::move(name), parent) {
    PublishCaption();
    PublishOther("Color");
    PublishOther("BevelOuter");
    PublishOther("ParentBackground");
}

} // namespace ui
