#include "platform/Directory.h"

#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>

#include "../support/TempFolder.h"

using testing_support::TempFolder;

namespace {

TEST(MatchesWildcard, StarAndQuestionMark) {
    struct Row {
        const char* name;
        const char* mask;
        bool matches;
    };
    const Row rows[] = {
        {"libvg.so", "*.so", true},      {"libvg.so.1", "*.so", false},
        {"libvg.SO", "*.so", false},     {".so", "*.so", true},
        {"a.so", "?.so", true},          {"ab.so", "?.so", false},
        {"é.so", "?.so", true},          {"noext", "*.*", true},
        {"x", "*", true},                {"", "*", true},
        {"abc", "a*c", true},            {"abbbc", "a*b*c", true},
        {"abcd", "a*c", false},          {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*c", false},
        {"setup.log", "setup.log", true}, {"setup.log", "Setup.log", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(platform::MatchesWildcard(row.name, row.mask), row.matches)
            << row.name << " ~ " << row.mask;
    }
}

#ifndef _WIN32
// Links and letter case as Linux has them; Win32FilesTest covers Windows.
std::vector<std::string> Names(const std::string& pattern) {
    std::vector<std::string> names;
    for (const auto& entry : platform::EnumerateMatches(pattern)) {
        names.push_back(entry.name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(EnumerateMatches, CountsFilesFoldersAndHiddenEntries) {
    TempFolder folder;
    folder.Write("one.so", "1");
    folder.Write("two.so", "2");
    folder.Write(".hidden.so", "h");
    folder.Write("readme.txt", "r");
    std::filesystem::create_directories(folder / "plugins.so");
    std::filesystem::create_symlink(folder / "missing-target", folder / "dangling.so");

    const std::vector<std::string> all{".hidden.so", "dangling.so", "one.so", "plugins.so", "two.so"};
    EXPECT_EQ(Names(folder / "*.so"), all);
    EXPECT_EQ(Names(folder / "*").size(), 6u) << "\".\" and \"..\" are not entries";
    EXPECT_EQ(Names(folder / "???.so").size(), 2u);
    EXPECT_EQ(Names(folder / "ONE.SO").size(), 0u) << "letter case counts on Linux";

    const auto entries = platform::EnumerateMatches(folder / "plugins.so");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_TRUE(entries[0].isDirectory);
    EXPECT_EQ(entries[0].path, folder / "plugins.so");

    EXPECT_TRUE(platform::EnumerateMatches(folder / "missing/*.so").empty());
    EXPECT_TRUE(platform::EnumerateMatches(folder.Path() + "/").empty());
}

#endif

TEST(CreateFolder, MakesOneLevelOnly) {
    TempFolder folder;
    EXPECT_TRUE(platform::CreateFolder(folder / "a"));
    EXPECT_FALSE(platform::CreateFolder(folder / "a")) << "exists already";
    EXPECT_FALSE(platform::CreateFolder(folder / "b/c"));
    EXPECT_FALSE(std::filesystem::exists(folder / "b"));
}

} // namespace
