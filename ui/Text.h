#pragma once

#include <string>
#include <string_view>

namespace ui {

// Compares two texts without regard to the letter case of A to Z, the way
// component and property names are matched.
bool SameText(std::string_view a, std::string_view b);

// Replaces the first "%s" in `format` by `argument` (a "%%" stays "%").
std::string FormatText(std::string_view format, std::string_view argument);

// Removes blanks and control characters at both ends.
std::string Trim(std::string_view text);

} // namespace ui
