#include "platform/LocaleCodePage.h"

#include "platform/CodePage.h"

namespace platform {

namespace {

struct LocaleGroup {
    int oem;
    int ansi;
    // Abbreviated language names, each three letters and a blank.
    std::string_view abbreviations;
};

// Windows' default code pages of each locale. English outside the United
// States and its neighbours in Africa and Asia uses the multilingual DOS page
// 850, as continental Western Europe does.
constexpr LocaleGroup kGroups[] = {
    {CpOemUs, CpAnsiWestern, "ENU ENS ENW ENP ENN ENM ENE SWK IND MSL MSB "},
    {CpOemWestern, CpAnsiWestern,
     "ENG ENA ENC ENZ ENI ENJ ENL ENT CYM IRE AFK NLD NLB DEU DEA DES DEC DEL FRA FRB FRC FRS "
     "FRL FRM ITA ITS PTB PTG ESN ESS ESB ESL ESO ESC ESD ESF ESG ESH ESM ESI ESA ESR ESU ESZ "
     "ESE EST ESY ESV CAT EUQ GLC DAN NOR NON SVE SVF FIN ISL FOS MLT "},
    {CpOemCentral, CpAnsiCentral, "PLK CSY HUN SKY SLV HRV ROM SQI "},
    {CpOemCyrillic, CpAnsiCyrillic, "RUS UKR BEL BGR MKI KKZ "},
    {CpOemGreek, CpAnsiGreek, "ELL "},
    {857, 1254, "TRK "},
    {775, 1257, "ETI LVI LTH "},
    {862, 1255, "HEB "},
    {874, 874, "THA "},
    {1258, 1258, "VIT "},
};

const LocaleGroup* Find(std::string_view abbreviation) {
    if (abbreviation.size() != 3) {
        return nullptr;
    }
    for (const LocaleGroup& group : kGroups) {
        for (std::size_t i = 0; i + 3 <= group.abbreviations.size(); i += 4) {
            if (group.abbreviations.substr(i, 3) == abbreviation) {
                return &group;
            }
        }
    }
    return nullptr;
}

} // namespace

int OemCodePageForAbbreviation(std::string_view abbreviation) {
    const LocaleGroup* group = Find(abbreviation);
    return group != nullptr ? group->oem : CpOemUs;
}

int AnsiCodePageForAbbreviation(std::string_view abbreviation) {
    const LocaleGroup* group = Find(abbreviation);
    return group != nullptr ? group->ansi : CpAnsiWestern;
}

} // namespace platform
