#include "platform/Locale.h"

#include <gtest/gtest.h>

#include "../support/Environment.h"

#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>

namespace {

struct LocaleCase {
    const char* posixLocale;
    const char* abbreviation;
};

void PrintTo(const LocaleCase& c, std::ostream* os) {
    *os << '"' << c.posixLocale << '"';
}

class AbbreviationTableTest : public testing::TestWithParam<LocaleCase> {};

TEST_P(AbbreviationTableTest, MapsPosixLocaleToWindowsAbbreviation) {
    EXPECT_EQ(platform::AbbreviationForPosixLocale(GetParam().posixLocale),
              GetParam().abbreviation);
}

INSTANTIATE_TEST_SUITE_P(Territories, AbbreviationTableTest,
                         testing::Values(LocaleCase{"nl_NL", "NLD"}, LocaleCase{"nl_BE", "NLB"},
                                         LocaleCase{"de_AT", "DEA"}, LocaleCase{"de_CH", "DES"},
                                         LocaleCase{"de_LI", "DEC"}, LocaleCase{"en_GB", "ENG"},
                                         LocaleCase{"es_ES", "ESN"}, LocaleCase{"es_PE", "ESR"},
                                         LocaleCase{"fr_CH", "FRS"}, LocaleCase{"pt_PT", "PTG"},
                                         LocaleCase{"pl_PL", "PLK"}, LocaleCase{"cs_CZ", "CSY"},
                                         LocaleCase{"no_NO", "NOR"}, LocaleCase{"zh_TW", "CHT"}));

INSTANTIATE_TEST_SUITE_P(
    CodesetModifierAndCase, AbbreviationTableTest,
    testing::Values(LocaleCase{"de_AT.UTF-8", "DEA"}, LocaleCase{"el_GR.ISO-8859-7@euro", "ELL"},
                    LocaleCase{"fr_BE@euro", "FRB"}, LocaleCase{"DE_de.utf8", "DEU"},
                    LocaleCase{"EN_gb", "ENG"}, LocaleCase{"Pt_bR.UTF-8", "PTB"}));

INSTANTIATE_TEST_SUITE_P(PrimaryTerritoryFallback, AbbreviationTableTest,
                         testing::Values(LocaleCase{"de", "DEU"}, LocaleCase{"pt", "PTB"},
                                         LocaleCase{"en", "ENU"}, LocaleCase{"es", "ESN"},
                                         LocaleCase{"fr.UTF-8", "FRA"},
                                         LocaleCase{"nl@euro", "NLD"}, LocaleCase{"el", "ELL"},
                                         LocaleCase{"de_BE.UTF-8", "DEU"},
                                         LocaleCase{"en_DK", "ENU"}, LocaleCase{"nl_SR", "NLD"},
                                         LocaleCase{"de_", "DEU"}));

INSTANTIATE_TEST_SUITE_P(NeutralAndUnknown, AbbreviationTableTest,
                         testing::Values(LocaleCase{"", "ENU"}, LocaleCase{"C", "ENU"},
                                         LocaleCase{"POSIX", "ENU"}, LocaleCase{"C.UTF-8", "ENU"},
                                         LocaleCase{"c.utf8", "ENU"}, LocaleCase{"xx_YY", ""},
                                         LocaleCase{"klingon", ""}, LocaleCase{"d", ""},
                                         LocaleCase{"deu_DE", ""}));

#ifndef _WIN32
// POSIX takes the locale from its variables; Win32SystemTest covers Windows.
// Sets the locale variables for one test and puts back what was there.
class ScopedLocaleEnvironment {
public:
    ScopedLocaleEnvironment() {
        for (int i = 0; i < 3; ++i) {
            if (const char* value = std::getenv(kNames[i])) {
                m_saved[i] = value;
            }
        }
    }
    ~ScopedLocaleEnvironment() {
        for (int i = 0; i < 3; ++i) {
            Set(kNames[i], m_saved[i] ? m_saved[i]->c_str() : nullptr);
        }
    }
    static void Set(const char* name, const char* value) {
        if (value == nullptr) {
            testing_support::UnsetEnv(name);
        } else {
            testing_support::SetEnv(name, value);
        }
    }

    static constexpr const char* kNames[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};

private:
    std::optional<std::string> m_saved[3];
};

struct EnvironmentCase {
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    const char* abbreviation;
};

void PrintTo(const EnvironmentCase& c, std::ostream* os) {
    auto show = [os](const char* value) { *os << (value ? value : "(unset)"); };
    *os << "LC_ALL=";
    show(c.lcAll);
    *os << " LC_MESSAGES=";
    show(c.lcMessages);
    *os << " LANG=";
    show(c.lang);
}

class SystemLocaleTest : public testing::TestWithParam<EnvironmentCase> {};

TEST_P(SystemLocaleTest, TakesFirstNonEmptyVariableInPosixOrder) {
    ScopedLocaleEnvironment scope;
    const EnvironmentCase& c = GetParam();
    ScopedLocaleEnvironment::Set("LC_ALL", c.lcAll);
    ScopedLocaleEnvironment::Set("LC_MESSAGES", c.lcMessages);
    ScopedLocaleEnvironment::Set("LANG", c.lang);
    EXPECT_EQ(platform::SystemLocale().AbbreviatedLanguageName(), c.abbreviation);
}

INSTANTIATE_TEST_SUITE_P(
    Environment, SystemLocaleTest,
    testing::Values(EnvironmentCase{"de_AT.UTF-8", "fr_FR.UTF-8", "nl_NL.UTF-8", "DEA"},
                    EnvironmentCase{"", "fr_CA.UTF-8", "nl_NL.UTF-8", "FRC"},
                    EnvironmentCase{nullptr, "fr_CA.UTF-8", "nl_NL.UTF-8", "FRC"},
                    EnvironmentCase{nullptr, "", "el_GR.UTF-8", "ELL"},
                    EnvironmentCase{nullptr, nullptr, "nl_BE.UTF-8", "NLB"},
                    EnvironmentCase{nullptr, nullptr, nullptr, "ENU"},
                    EnvironmentCase{"", "", "", "ENU"},
                    EnvironmentCase{nullptr, nullptr, "C", "ENU"},
                    EnvironmentCase{nullptr, "xx_YY", "de_DE", ""}));

#endif

} // namespace
