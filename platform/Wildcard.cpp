#include "platform/Directory.h"

namespace platform {

namespace {

// Length of the UTF-8 sequence starting at `c` (1 for stray bytes).
std::size_t SequenceLength(unsigned char c) {
    if (c >= 0xF0 && c <= 0xF4) {
        return 4;
    }
    if (c >= 0xE0) {
        return c <= 0xEF ? 3 : 1;
    }
    if (c >= 0xC2) {
        return 2;
    }
    return 1;
}

} // namespace

bool MatchesWildcard(std::string_view name, std::string_view mask) {
    if (mask == "*.*") {
        mask = "*";
    }
    // Iterative matching with one backtrack point for the last "*": linear
    // in practice, never recursive, whatever the pattern.
    std::size_t n = 0;
    std::size_t m = 0;
    std::size_t starMask = std::string_view::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (m < mask.size() && mask[m] == '?') {
            n += SequenceLength(static_cast<unsigned char>(name[n]));
            ++m;
        } else if (m < mask.size() && mask[m] == name[n]) {
            ++n;
            ++m;
        } else if (starMask != std::string_view::npos) {
            m = starMask + 1;
            starName += SequenceLength(static_cast<unsigned char>(name[starName]));
            n = starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') {
        ++m;
    }
    return m == mask.size() && n <= name.size();
}

} // namespace platform
