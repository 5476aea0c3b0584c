#include "engine/OemText.h"

#include <windows.h>

#include <string>

namespace engine {

namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";

// The OEM code page of the user's locale. Where the system runs with UTF-8
// as its OEM code page, names in archives from DOS tools still use the
// locale's own one.
int UserOemCodePage() {
    UINT codePage = ::GetOEMCP();
    if (codePage != CP_UTF8) {
        return static_cast<int>(codePage);
    }
    DWORD localeCodePage = 0;
    if (::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_IDEFAULTCODEPAGE | LOCALE_RETURN_NUMBER,
                          reinterpret_cast<wchar_t*>(&localeCodePage),
                          sizeof(localeCodePage) / sizeof(wchar_t)) == 0 ||
        localeCodePage == 0 || localeCodePage == CP_UTF8) {
        return 437;
    }
    return static_cast<int>(localeCodePage);
}

} // namespace

OemText OemText::ForLocale() {
    return OemText(UserOemCodePage());
}

OemText::OemText(int codePage) : m_codePage(codePage) {
    bool known = codePage > 0 && ::IsValidCodePage(static_cast<UINT>(codePage));
    for (int byte = 0x80; byte < 0x100; ++byte) {
        std::string& text = m_high[byte - 0x80];
        text = kReplacement;
        if (!known) {
            continue;
        }
        char in = static_cast<char>(byte);
        wchar_t wide[2];
        int count = ::MultiByteToWideChar(static_cast<UINT>(codePage), MB_ERR_INVALID_CHARS, &in, 1,
                                          wide, 2);
        if (count <= 0) {
            continue;
        }
        char out[8];
        int size =
            ::WideCharToMultiByte(CP_UTF8, 0, wide, count, out, sizeof(out), nullptr, nullptr);
        if (size > 0) {
            text.assign(out, static_cast<std::size_t>(size));
        }
    }
}

} // namespace engine
