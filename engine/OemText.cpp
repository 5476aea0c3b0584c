#include "engine/OemText.h"

#include "platform/CodePage.h"

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
    return platform::IsValidUtf8(bytes);
}

} // namespace engine
