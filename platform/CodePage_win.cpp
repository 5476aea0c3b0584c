#include "platform/CodePage.h"

#include "platform/Win32Text.h"

#include <windows.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

namespace {

// Single-byte Windows and DOS code pages. Everything else decodes as the
// Western code page.
constexpr int kSingleByteCodePages[] = {437,  737,  775,  850,  852,  855,  857,  860,
                                        861,  862,  863,  865,  866,  869,  874,  1250,
                                        1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258};

int SupportedCodePage(int codePage) {
    for (int known : kSingleByteCodePages) {
        if (known == codePage) {
            return codePage;
        }
    }
    return CpAnsiWestern;
}

using HighHalf = std::array<wchar_t, 128>;

// The characters of bytes 0x80 to 0xFF. Windows gives the bytes a code page
// leaves undefined a character all the same: the C1 control of the same
// number (0x81 in 1252 is U+0081) or one of the private use area (0xAA in
// 1253 is U+F8F9). No defined byte of these code pages is either, so both
// become U+FFFD.
std::optional<HighHalf> HighHalfOf(int codePage) {
    char bytes[128];
    for (int i = 0; i < 128; ++i) {
        bytes[i] = static_cast<char>(0x80 + i);
    }
    HighHalf characters{};
    if (::MultiByteToWideChar(static_cast<UINT>(codePage), 0, bytes, 128, characters.data(), 128) !=
        128) {
        return std::nullopt;
    }
    for (wchar_t& c : characters) {
        if ((c >= 0x80 && c <= 0x9F) || (c >= 0xE000 && c <= 0xF8FF)) {
            c = 0xFFFD;
        }
    }
    return characters;
}

} // namespace

std::string DecodeCodePage(std::string_view bytes, int codePage) {
    bool ascii = true;
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    // Every supported code page agrees with ASCII below 0x80.
    if (ascii) {
        return std::string(bytes);
    }

    std::optional<HighHalf> high = HighHalfOf(SupportedCodePage(codePage));
    if (!high) {
        high = HighHalfOf(CpAnsiWestern);
    }
    std::wstring text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text += static_cast<wchar_t>(byte);
        } else {
            text += high ? (*high)[byte - 0x80] : L'\xFFFD';
        }
    }
    return win::Narrow(text);
}

} // namespace platform
