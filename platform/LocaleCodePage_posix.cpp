#include "platform/LocaleCodePage.h"

#include "platform/Locale.h"

namespace platform {

// POSIX has no OEM or ANSI code page; the Windows pages of the user
// interface locale are the ones its archives and files were most likely
// written in.
int SystemOemCodePage() {
    return OemCodePageForAbbreviation(SystemLocale().AbbreviatedLanguageName());
}

int SystemAnsiCodePage() {
    return AnsiCodePageForAbbreviation(SystemLocale().AbbreviatedLanguageName());
}

} // namespace platform
