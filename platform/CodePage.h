#pragma once

#include <string>
#include <string_view>

namespace platform {

// Windows code page numbers used by text files and archives made on Windows.
enum CodePage : int {
    CpOemUs = 437,
    CpOemGreek = 737,
    CpOemWestern = 850,
    CpOemCentral = 852,
    CpOemCyrillic = 866,
    CpAnsiCentral = 1250,
    CpAnsiCyrillic = 1251,
    CpAnsiWestern = 1252,
    CpAnsiGreek = 1253,
};

// True when the bytes are well-formed UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Converts single-byte text in the given code page to UTF-8. Bytes the code
// page leaves undefined become U+FFFD. An unknown code page is treated as
// 1252. Never throws for any input.
std::string DecodeCodePage(std::string_view bytes, int codePage);

} // namespace platform
