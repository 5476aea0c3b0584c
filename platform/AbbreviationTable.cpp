#include "platform/Locale.h"

#include <string>
#include <string_view>

namespace platform {

namespace {

struct Abbreviation {
    std::string_view language;
    std::string_view territory;
    std::string_view abbreviation;
};

// Windows builds these names from the language and a letter for the
// territory, with many exceptions, so they are listed rather than derived.
// The first row of each language is the one Windows treats as its primary
// territory; a bare language or an unlisted territory falls back to it.
constexpr Abbreviation kAbbreviations[] = {
    {"af", "za", "AFK"},
    {"ar", "sa", "ARA"},
    {"ar", "ae", "ARU"},
    {"ar", "bh", "ARH"},
    {"ar", "dz", "ARG"},
    {"ar", "eg", "ARE"},
    {"ar", "iq", "ARI"},
    {"ar", "jo", "ARJ"},
    {"ar", "kw", "ARK"},
    {"ar", "lb", "ARB"},
    {"ar", "ly", "ARL"},
    {"ar", "ma", "ARM"},
    {"ar", "om", "ARO"},
    {"ar", "qa", "ARQ"},
    {"ar", "sy", "ARS"},
    {"ar", "tn", "ART"},
    {"ar", "ye", "ARY"},
    {"be", "by", "BEL"},
    {"bg", "bg", "BGR"},
    {"ca", "es", "CAT"},
    {"cs", "cz", "CSY"},
    {"cy", "gb", "CYM"},
    {"da", "dk", "DAN"},
    {"de", "de", "DEU"},
    {"de", "at", "DEA"},
    {"de", "ch", "DES"},
    {"de", "li", "DEC"},
    {"de", "lu", "DEL"},
    {"el", "gr", "ELL"},
    {"en", "us", "ENU"},
    {"en", "au", "ENA"},
    {"en", "bz", "ENL"},
    {"en", "ca", "ENC"},
    {"en", "gb", "ENG"},
    {"en", "ie", "ENI"},
    {"en", "in", "ENN"},
    {"en", "jm", "ENJ"},
    {"en", "my", "ENM"},
    {"en", "nz", "ENZ"},
    {"en", "ph", "ENP"},
    {"en", "sg", "ENE"},
    {"en", "tt", "ENT"},
    {"en", "za", "ENS"},
    {"en", "zw", "ENW"},
    {"es", "es", "ESN"},
    {"es", "ar", "ESS"},
    {"es", "bo", "ESB"},
    {"es", "cl", "ESL"},
    {"es", "co", "ESO"},
    {"es", "cr", "ESC"},
    {"es", "do", "ESD"},
    {"es", "ec", "ESF"},
    {"es", "gt", "ESG"},
    {"es", "hn", "ESH"},
    {"es", "mx", "ESM"},
    {"es", "ni", "ESI"},
    {"es", "pa", "ESA"},
    {"es", "pe", "ESR"},
    {"es", "pr", "ESU"},
    {"es", "py", "ESZ"},
    {"es", "sv", "ESE"},
    {"es", "us", "EST"},
    {"es", "uy", "ESY"},
    {"es", "ve", "ESV"},
    {"et", "ee", "ETI"},
    {"eu", "es", "EUQ"},
    {"fa", "ir", "FAR"},
    {"fi", "fi", "FIN"},
    {"fo", "fo", "FOS"},
    {"fr", "fr", "FRA"},
    {"fr", "be", "FRB"},
    {"fr", "ca", "FRC"},
    {"fr", "ch", "FRS"},
    {"fr", "lu", "FRL"},
    {"fr", "mc", "FRM"},
    {"ga", "ie", "IRE"},
    {"gl", "es", "GLC"},
    {"gu", "in", "GUJ"},
    {"he", "il", "HEB"},
    {"hi", "in", "HIN"},
    {"hr", "hr", "HRV"},
    {"hu", "hu", "HUN"},
    {"hy", "am", "HYE"},
    {"id", "id", "IND"},
    {"is", "is", "ISL"},
    {"it", "it", "ITA"},
    {"it", "ch", "ITS"},
    {"ja", "jp", "JPN"},
    {"ka", "ge", "KAT"},
    {"kk", "kz", "KKZ"},
    {"kn", "in", "KDI"},
    {"ko", "kr", "KOR"},
    {"lt", "lt", "LTH"},
    {"lv", "lv", "LVI"},
    {"mk", "mk", "MKI"},
    {"mr", "in", "MAR"},
    {"ms", "my", "MSL"},
    {"ms", "bn", "MSB"},
    {"mt", "mt", "MLT"},
    {"nb", "no", "NOR"},
    {"nl", "nl", "NLD"},
    {"nl", "be", "NLB"},
    {"nn", "no", "NON"},
    // Older systems name Norwegian Bokmål "no_NO".
    {"no", "no", "NOR"},
    {"pa", "in", "PAN"},
    {"pl", "pl", "PLK"},
    {"pt", "br", "PTB"},
    {"pt", "pt", "PTG"},
    {"ro", "ro", "ROM"},
    {"ru", "ru", "RUS"},
    {"sk", "sk", "SKY"},
    {"sl", "si", "SLV"},
    {"sq", "al", "SQI"},
    {"sv", "se", "SVE"},
    {"sv", "fi", "SVF"},
    {"sw", "ke", "SWK"},
    {"ta", "in", "TAM"},
    {"te", "in", "TEL"},
    {"th", "th", "THA"},
    {"tr", "tr", "TRK"},
    {"uk", "ua", "UKR"},
    {"ur", "pk", "URD"},
    {"vi", "vn", "VIT"},
    {"zh", "cn", "CHS"},
    {"zh", "hk", "ZHH"},
    {"zh", "mo", "ZHM"},
    {"zh", "sg", "ZHI"},
    {"zh", "tw", "CHT"},
};

std::string Lowercase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

} // namespace

// A POSIX locale name reads language[_territory][.codeset][@modifier]; the
// codeset and modifier do not change the language.
std::string AbbreviationForPosixLocale(std::string_view posixLocale) {
    std::string_view name = posixLocale.substr(0, posixLocale.find_first_of(".@"));
    std::string_view::size_type underscore = name.find('_');
    std::string language = Lowercase(name.substr(0, underscore));
    std::string territory = underscore == std::string_view::npos
                                ? std::string()
                                : Lowercase(name.substr(underscore + 1));

    // The "C" and "POSIX" locales carry American English messages.
    if (language.empty() || language == "c" || language == "posix") {
        return "ENU";
    }

    const Abbreviation* primary = nullptr;
    for (const Abbreviation& entry : kAbbreviations) {
        if (entry.language != language) {
            continue;
        }
        if (entry.territory == territory) {
            return std::string(entry.abbreviation);
        }
        if (primary == nullptr) {
            primary = &entry;
        }
    }
    return primary == nullptr ? std::string() : std::string(primary->abbreviation);
}

} // namespace platform
