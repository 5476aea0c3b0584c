#include <gtest/gtest.h>

#include "app/SetupOptions.h"

namespace {

struct Accepted {
    std::vector<std::string> arguments;
    RunMode mode;
    std::string regionCode;
    std::string logPath;
    bool help;
};

TEST(SetupOptionsTest, TheWaysAnOptionMayBeWritten) {
    const Accepted rows[] = {
        {{}, RunMode::Interactive, "", "", false},
        {{"/quiet", "/lang=DE", "/log=C:\\Logs\\vg-setup.log"}, RunMode::Quiet, "DE", "C:\\Logs\\vg-setup.log", false},
        {{"--PASSIVE", "--Lang:s_a", "--log:C:\\logs\\vg.log"}, RunMode::Passive, "S_A", "C:\\logs\\vg.log", false},
        {{"/QuIeT", "--log=\"/var/log/vg setup.log\""}, RunMode::Quiet, "", "/var/log/vg setup.log", false},
        {{"--lang='plk'"}, RunMode::Interactive, "PLK", "", false},
        {{"/?"}, RunMode::Interactive, "", "", true},
        {{"-h"}, RunMode::Interactive, "", "", true},
        {{"--help", "/quiet"}, RunMode::Quiet, "", "", true},
    };
    for (const Accepted& row : rows) {
        std::string line;
        for (const auto& argument : row.arguments) {
            line += argument + " ";
        }
        SCOPED_TRACE(line);
        const ParsedCommandLine parsed = ParseSetupOptions(row.arguments);
        EXPECT_EQ(parsed.error, "");
        EXPECT_EQ(parsed.options.mode, row.mode);
        EXPECT_EQ(parsed.options.regionCode, row.regionCode);
        EXPECT_EQ(parsed.options.logPath, row.logPath);
        EXPECT_EQ(parsed.options.help, row.help);
    }
}

// A typo must never become an installation with defaults.
TEST(SetupOptionsTest, AWrongCommandLineSaysWhatIsWrong) {
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{"/quiet", "--bogus"}, "\"--bogus\" is not an option."},
        {{"/quite"}, "\"/quite\" is not an option."},
        {{"-quiet"}, "\"-quiet\" is not an option."},
        {{"quiet"}, "\"quiet\" is not an option."},
        {{"-platform", "offscreen"}, "\"-platform\" is not an option."},
        {{"/lang=XX"}, "\"XX\" is not a language code; lang takes one of NL, UK, DE, FR, SPA, PTB, "
                       "AUS, UNG, GRC, S_A, PLK, CSY."},
        {{"/lang=BRA"}, "\"BRA\" is not a language code; lang takes one of NL, UK, DE, FR, SPA, "
                        "PTB, AUS, UNG, GRC, S_A, PLK, CSY."},
        {{"/lang"}, "The option lang needs a value (\"/lang\")."},
        {{"/log="}, "The option log needs a value (\"/log=\")."},
        {{"/log=\"\""}, "The option log needs a value (\"/log=\"\"\")."},
        {{"/quiet=yes"}, "The option quiet takes no value (\"/quiet=yes\")."},
        {{"/quiet", "/passive"}, "The options quiet and passive cannot be given together."},
        {{"/lang=DE", "/LANG=NL"}, "The option lang is given more than once."},
        {{""}, "\"\" is not an option."},
    };
    for (const auto& [arguments, error] : rows) {
        SCOPED_TRACE(error);
        EXPECT_EQ(ParseSetupOptions(arguments).error, error);
    }
}

} // namespace
