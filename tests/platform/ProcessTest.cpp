#include "platform/Process.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "../support/TempFolder.h"

using testing_support::TempFolder;

namespace {

TEST(SplitCommandLine, FollowsTheWindowsRules) {
    using Args = std::vector<std::string>;
    const std::pair<std::string, Args> rows[] = {
        {"", {}},
        {"   \t ", {}},
        {"prog", {"prog"}},
        {"  prog  a   b ", {"prog", "a", "b"}},
        {"\"C:\\Program Files\\x.exe\" /s", {"C:\\Program Files\\x.exe", "/s"}},
        {"\"/medium/my folder/AdobeReader.exe\"", {"/medium/my folder/AdobeReader.exe"}},
        {"/medium/my folder/AdobeReader.exe", {"/medium/my", "folder/AdobeReader.exe"}},
        // The program name takes backslashes literally, quotes only group.
        {"C:\\dir\\\"x y\" z", {"C:\\dir\\\"x", "y z"}},
        {"p \"a b\" c", {"p", "a b", "c"}},
        {"p a\"b c\"d", {"p", "ab cd"}},
        {"p \\\\\\\"a", {"p", "\\\"a"}},     // 3 backslashes + quote: 1 backslash, literal quote
        {"p \\\\\"a b\"", {"p", "\\a b"}},   // 2 backslashes + quote: 1 backslash, grouping
        {"p a\\\\b", {"p", "a\\\\b"}},       // backslashes without a quote stay
        {"p \"a \"\"b\"\" c\"", {"p", "a \"b\" c"}},
        {"p \"\"", {"p", ""}},
        {"p \"unclosed arg", {"p", "unclosed arg"}},
        {"\"unclosed program", {"unclosed program"}},
    };
    for (const auto& [line, expected] : rows) {
        EXPECT_EQ(platform::SplitCommandLine(line), expected) << line;
    }
}

#ifndef _WIN32
// Shell scripts and signals; Win32SystemTest covers Windows.
TEST(RunProgramAndWait, ReturnsTheExitCode) {
    EXPECT_EQ(platform::RunProgramAndWait("/bin/sh -c \"exit 0\""), 0);
    EXPECT_EQ(platform::RunProgramAndWait("sh -c \"exit 42\""), 42) << "bare names are searched";
    EXPECT_EQ(platform::RunProgramAndWait("/bin/sh -c \"kill -9 $$\""), 128 + 9);
}

TEST(RunProgramAndWait, QuotedPathWithBlanksStartsThatProgram) {
    TempFolder folder;
    const std::string program = folder.Write("my folder/installer", "#!/bin/sh\nexit 7\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    // A program of the unquoted first part must not be the one started.
    const std::string decoy = folder.Write("my", "#!/bin/sh\nexit 9\n");
    std::filesystem::permissions(decoy, std::filesystem::perms::owner_all);
    EXPECT_EQ(platform::RunProgramAndWait("\"" + program + "\""), 7);
    EXPECT_EQ(platform::RunProgramAndWait(program), 9) << "unquoted, the path splits at the blank";
}

TEST(RunProgramAndWait, ProgramThatCannotStartGivesMinusOne) {
    TempFolder folder;
    const std::string notExecutable = folder.Write("data.txt", "text");
    EXPECT_EQ(platform::RunProgramAndWait(folder / "no-such-program"), -1);
    EXPECT_EQ(platform::RunProgramAndWait(notExecutable), -1);
    EXPECT_EQ(platform::RunProgramAndWait(""), -1);
    EXPECT_EQ(platform::RunProgramAndWait("\"\" arg"), -1);
}

#endif

} // namespace
