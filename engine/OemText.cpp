#include "engine/OemText.h"

#include <cstddef>

namespace engine {

int OemCodePageForLocale(std::string_view localeName) {
    std::string_view language = localeName.substr(0, localeName.find_first_of("_.@"));
    std::string_view territory;
    if (auto underscore = localeName.find('_'); underscore != std::string_view::npos) {
        territory = localeName.substr(underscore + 1);
        territory = territory.substr(0, territory.find_first_of(".@"));
    }
    if (language.empty() || language == "C" || language == "POSIX" ||
        (language == "en" && territory == "US") || (language == "en" && territory.empty())) {
        return 437;
    }
    for (std::string_view central : {"pl", "cs", "sk", "hu", "sl", "hr", "ro", "bs", "sq", "sr"}) {
        if (language == central) {
            return 852;
        }
    }
    for (std::string_view cyrillic : {"ru", "uk", "be", "bg", "mk"}) {
        if (language == cyrillic) {
            return 866;
        }
    }
    if (language == "el") {
        return 737;
    }
    return 850;
}

std::string OemText::Decode(std::string_view bytes) const {
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 2);
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text += c;
        } else {
            text += m_high[byte - 0x80];
        }
    }
    return text;
}

bool IsValidUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const unsigned char* end = p + bytes.size();
    while (p < end) {
        unsigned char lead = *p;
        if (lead < 0x80) {
            ++p;
            continue;
        }
        // The second byte's range rules out overlong forms, surrogates and
        // code points above U+10FFFF.
        std::ptrdiff_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xbf;
        if (lead >= 0xc2 && lead <= 0xdf) {
            length = 2;
        } else if (lead >= 0xe0 && lead <= 0xef) {
            length = 3;
            low = lead == 0xe0 ? 0xa0 : 0x80;
            high = lead == 0xed ? 0x9f : 0xbf;
        } else if (lead >= 0xf0 && lead <= 0xf4) {
            length = 4;
            low = lead == 0xf0 ? 0x90 : 0x80;
            high = lead == 0xf4 ? 0x8f : 0xbf;
        } else {
            return false;
        }
        if (end - p < length || p[1] < low || p[1] > high) {
            return false;
        }
        for (std::ptrdiff_t i = 2; i < length; ++i) {
            if ((p[i] & 0xc0) != 0x80) {
                return false;
            }
        }
        p += length;
    }
    return true;
}

} // namespace engine
