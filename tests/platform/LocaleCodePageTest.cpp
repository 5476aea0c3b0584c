#include "platform/LocaleCodePage.h"

#include <gtest/gtest.h>

#include "../support/Environment.h"

#include <ostream>

namespace {

struct CodePageCase {
    const char* abbreviation;
    int oem;
    int ansi;
};

void PrintTo(const CodePageCase& c, std::ostream* os) {
    *os << '"' << c.abbreviation << '"';
}

class LocaleCodePageTest : public testing::TestWithParam<CodePageCase> {};

TEST_P(LocaleCodePageTest, GivesTheWindowsCodePagesOfTheLocale) {
    EXPECT_EQ(platform::OemCodePageForAbbreviation(GetParam().abbreviation), GetParam().oem);
    EXPECT_EQ(platform::AnsiCodePageForAbbreviation(GetParam().abbreviation), GetParam().ansi);
}

INSTANTIATE_TEST_SUITE_P(
    Locales, LocaleCodePageTest,
    testing::Values(CodePageCase{"ENU", 437, 1252}, CodePageCase{"ENG", 850, 1252},
                    CodePageCase{"NLD", 850, 1252}, CodePageCase{"DEA", 850, 1252},
                    CodePageCase{"PTB", 850, 1252}, CodePageCase{"PLK", 852, 1250},
                    CodePageCase{"CSY", 852, 1250}, CodePageCase{"HUN", 852, 1250},
                    CodePageCase{"ELL", 737, 1253}, CodePageCase{"RUS", 866, 1251},
                    CodePageCase{"TRK", 857, 1254}, CodePageCase{"LTH", 775, 1257},
                    CodePageCase{"ESV", 850, 1252}, CodePageCase{"MSB", 437, 1252},
                    CodePageCase{"KKZ", 866, 1251}, CodePageCase{"VIT", 1258, 1258},
                    CodePageCase{"JPN", 437, 1252}, CodePageCase{"EN", 437, 1252},
                    CodePageCase{"ENGX", 437, 1252}, CodePageCase{"", 437, 1252},
                    CodePageCase{"enG", 437, 1252}, CodePageCase{"XYZ", 437, 1252}));

#ifndef _WIN32
// POSIX takes the pages from the locale variables; Win32SystemTest covers Windows.
TEST(LocaleCodePageTest, SystemPagesFollowTheLocaleVariables) {
    testing_support::SetEnv("LC_ALL", "pl_PL.UTF-8");
    EXPECT_EQ(platform::SystemOemCodePage(), 852);
    EXPECT_EQ(platform::SystemAnsiCodePage(), 1250);
    testing_support::SetEnv("LC_ALL", "el_GR");
    EXPECT_EQ(platform::SystemOemCodePage(), 737);
    testing_support::UnsetEnv("LC_ALL");
}

#endif

} // namespace
