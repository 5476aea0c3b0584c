#pragma once

#include <utility>
#include <vector>

#include "ui/Control.h"

namespace ui {

// Where the children of `parent` lie in its client area of `width` ×
// `height` pixels: aligned children that are shown are stacked by their
// alignment in the order they were added (Top ones from the top, Bottom ones
// from the bottom, Client ones filling what is left between), hidden and
// unaligned children lie at their own bounds. The result lists Top, Bottom,
// Client and unaligned children in that order. Pages are left out: their
// holder sizes them to itself.
std::vector<std::pair<Control*, Bounds>> ArrangeAligned(const Control& parent, int width,
                                                        int height);

} // namespace ui
