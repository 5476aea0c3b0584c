#include "ui/Layout.h"

#include <algorithm>

namespace ui {

std::vector<std::pair<Control*, Bounds>> ArrangeAligned(const Control& parent, int width,
                                                        int height) {
    std::vector<std::pair<Control*, Bounds>> places;
    int top = 0;
    int bottom = height;
    for (Align pass : {Align::Top, Align::Bottom, Align::Client, Align::None}) {
        for (Control* child : parent.Children()) {
            if (child->GetKind() == Control::Kind::Page || child->GetAlign() != pass) {
                continue;
            }
            const Bounds& bounds = child->GetBounds();
            Bounds place = bounds;
            if (pass != Align::None && child->Visible()) {
                if (pass == Align::Top) {
                    place = {0, top, width, bounds.height};
                    top += bounds.height;
                } else if (pass == Align::Bottom) {
                    bottom -= bounds.height;
                    place = {0, bottom, width, bounds.height};
                } else {
                    place = {0, top, width, std::max(0, bottom - top)};
                }
            }
            places.emplace_back(child, place);
        }
    }
    return places;
}

} // namespace ui
