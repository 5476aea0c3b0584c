#pragma once

#include <string>
#include <string_view>

namespace platform {

// The user interface locale of the machine, as the operating system names it.
class Locale {
public:
    virtual ~Locale() = default;

    // The three-letter abbreviated language name of the locale as Windows
    // writes it ("NLD", "DEU", "ENU", ...); empty when the locale is not one
    // the system knows an abbreviation for.
    virtual std::string AbbreviatedLanguageName() const = 0;
};

// The locale of the running process: on POSIX the first non-empty of LC_ALL,
// LC_MESSAGES and LANG ("C", "POSIX" or nothing count as en_US); on Windows
// the thread locale.
class SystemLocale : public Locale {
public:
    std::string AbbreviatedLanguageName() const override;
};

// Maps a POSIX locale name ("de_AT.UTF-8", "pt_BR", "el_GR.ISO-8859-7@euro",
// "fr") to the Windows abbreviation of that language and territory. A bare
// language maps to its primary territory. Empty for a locale outside the
// table. Pure function, the same on every platform.
std::string AbbreviationForPosixLocale(std::string_view posixLocale);

} // namespace platform
