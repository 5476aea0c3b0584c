#pragma once

#include <string>

#include "ui/Control.h"

namespace ui {

// A picture stored with the program, named by its resource name.
class Image : public Control {
public:
    Image(Component* owner, std::string name, Control* parent);
    Kind GetKind() const override { return Kind::Image; }
    const std::string& PictureResource() const { return m_picture; }
    void SetPictureResource(std::string name);

private:
    std::string m_picture;
};

} // namespace ui
