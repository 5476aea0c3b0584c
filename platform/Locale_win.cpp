#include "platform/Locale.h"

#include <windows.h>

#include <cstdlib>

namespace platform {

namespace {

// EnumSystemLocalesA passes no context to its callback; the search is
// per thread, as the thread locale is.
thread_local LCID t_wanted = 0;
thread_local bool t_found = false;

BOOL CALLBACK CompareLocale(LPSTR id) {
    if (std::strtoul(id, nullptr, 16) == t_wanted) {
        t_found = true;
        return FALSE;
    }
    return TRUE;
}

// Whether the system knows the locale: an LCID it lists as supported.
bool IsSupported(LCID locale) {
    t_wanted = locale;
    t_found = false;
    ::EnumSystemLocalesA(CompareLocale, LCID_SUPPORTED);
    return t_found;
}

} // namespace

std::string SystemLocale::AbbreviatedLanguageName() const {
    const LCID locale = ::GetThreadLocale();
    if (!IsSupported(locale)) {
        return {};
    }
    char abbreviation[16] = {};
    if (::GetLocaleInfoA(locale, LOCALE_SABBREVLANGNAME, abbreviation, sizeof abbreviation) == 0) {
        return {};
    }
    return abbreviation;
}

} // namespace platform
