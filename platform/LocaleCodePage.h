#pragma once

#include <string_view>

namespace platform {

// The code pages Windows gives a locale, named by its abbreviated language
// name ("ENU", "DEU", "PLK", ...). The OEM code page is the one of DOS and
// the console, in which DOS and Windows archive tools store entry names;
// the ANSI code page is the one of Windows programs. Locales outside the
// table, Unicode-only ones and those whose code pages are double-byte (CJK)
// give the US pages, 437 and 1252. Pure functions, the same on every
// platform.
int OemCodePageForAbbreviation(std::string_view abbreviation);
int AnsiCodePageForAbbreviation(std::string_view abbreviation);

// The code pages of the running system: on POSIX those of the user
// interface locale (SystemLocale); on Windows the system's own.
int SystemOemCodePage();
int SystemAnsiCodePage();

} // namespace platform
