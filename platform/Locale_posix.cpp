#include "platform/Locale.h"

#include <cstdlib>

namespace platform {

// LC_ALL overrides every category and LANG is the fallback for all of them;
// LC_MESSAGES is the category that governs the language of user messages.
std::string SystemLocale::AbbreviatedLanguageName() const {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return AbbreviationForPosixLocale(value);
        }
    }
    return AbbreviationForPosixLocale("en_US");
}

} // namespace platform
