#include "platform/LocaleCodePage.h"

#include "platform/CodePage.h"

#include <windows.h>

#include <cstdlib>

namespace platform {

namespace {

// The code page the thread locale names in `item`; 0 when it names none
// (Unicode-only locales give 0, or 1 for "the OEM code page").
int LocaleCodePage(LCTYPE item) {
    char number[8] = {};
    if (::GetLocaleInfoA(::GetThreadLocale(), item, number, sizeof number) == 0) {
        return 0;
    }
    const int codePage = std::atoi(number);
    return codePage > CP_MACCP ? codePage : 0;
}

// With the UTF-8 active code page the manifest asks for, GetACP and GetOEMCP
// both say 65001. Entry names in archives made by DOS and older Windows
// tools are still in the locale's legacy pages, so those are taken from the
// locale then.
int SystemCodePage(UINT systemPage, LCTYPE localeItem, int fallback) {
    if (systemPage != CP_UTF8) {
        return static_cast<int>(systemPage);
    }
    const int codePage = LocaleCodePage(localeItem);
    return codePage != 0 ? codePage : fallback;
}

} // namespace

int SystemOemCodePage() {
    return SystemCodePage(::GetOEMCP(), LOCALE_IDEFAULTCODEPAGE, CpOemUs);
}

int SystemAnsiCodePage() {
    return SystemCodePage(::GetACP(), LOCALE_IDEFAULTANSICODEPAGE, CpAnsiWestern);
}

} // namespace platform
