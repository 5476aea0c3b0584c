#include "ui/Image.h"

namespace ui {

Image::Image(Component* owner, std::string name, Control* parent)
    : Control(owner, std::move(name), parent) {
    PublishOther("Picture");
    PublishOther("Stretch");
    PublishOther("Center");
}

void Image::SetPictureResource(std::string name) {
    m_picture = std::move(name);
    Changed(Aspect::Caption);
}

} // namespace ui
