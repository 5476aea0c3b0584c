#pragma once

#include <string>
#include <string_view>

namespace ui {

// Compares two texts without regard to the letter case of A to Z, the way
// component and property names are matched.
bool SameText(std::string_view a, std::string_view b);

// Replaces the first "%s" in `format` by `argument` (a "%%" stays "%").
std::string FormatText(std::string_view format, std::string_view argument);

// The text with the letters a to z in upper case; every other byte as it is.
std::string UpperAscii(std::string_view text);

// Removes blanks and control characters at both ends.
std::string Trim(std::string_view text);

// The text on one line: each line break (CR LF, CR or LF) becomes a blank,
// with no two blanks in a row where the line already ended in one.
std::string OneLine(std::string_view text);

} // namespace ui
