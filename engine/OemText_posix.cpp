#include "engine/OemText.h"

#include <iconv.h>

#include <cstdlib>
#include <string>

namespace engine {

namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";

// The locale the user interface follows: the first non-empty of LC_ALL,
// LC_MESSAGES and LANG.
std::string_view UserLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return value;
        }
    }
    return {};
}

} // namespace

OemText OemText::ForLocale() {
    return OemText(OemCodePageForLocale(UserLocale()));
}

OemText::OemText(int codePage) : m_codePage(codePage) {
    std::string name = "CP" + std::to_string(codePage);
    iconv_t converter = iconv_open("UTF-8", name.c_str());
    for (int byte = 0x80; byte < 0x100; ++byte) {
        std::string& text = m_high[byte - 0x80];
        text = kReplacement;
        if (converter == reinterpret_cast<iconv_t>(-1)) {
            continue;
        }
        char in = static_cast<char>(byte);
        char out[8];
        char* inPointer = &in;
        char* outPointer = out;
        std::size_t inLeft = 1;
        std::size_t outLeft = sizeof(out);
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
        if (iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft) !=
                static_cast<std::size_t>(-1) &&
            inLeft == 0) {
            text.assign(out, static_cast<std::size_t>(outPointer - out));
        }
    }
    if (converter != reinterpret_cast<iconv_t>(-1)) {
        iconv_close(converter);
    }
}

} // namespace engine
