// Entry names: the confinement check, file spec matching and name decoding.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/EntryName.h"

namespace engine {
namespace {

struct SplitCase {
    std::string name;
    std::string refusal;
    std::vector<std::string> folders;
    std::string leaf;
};

void PrintTo(const SplitCase& c, std::ostream* out) {
    *out << testing::PrintToString(c.name);
}

void ExpectSplit(const SplitCase& c, NameRules rules) {
    EntryPath path;
    EXPECT_EQ(SplitEntryName(c.name, path, rules), c.refusal);
    if (c.refusal.empty()) {
        EXPECT_EQ(path.folders, c.folders);
        EXPECT_EQ(path.leaf, c.leaf);
        EXPECT_EQ(path.isFolder, c.leaf.empty());
    }
}

class EngineSplitEntryName : public testing::TestWithParam<SplitCase> {};

TEST_P(EngineSplitEntryName, SplitsOrRefuses) {
    ExpectSplit(GetParam(), NameRules::Posix);
}

INSTANTIATE_TEST_SUITE_P(
    All, EngineSplitEntryName,
    testing::Values(
        SplitCase{"a.txt", "", {}, "a.txt"}, SplitCase{"a/b\\c.txt", "", {"a", "b"}, "c.txt"},
        SplitCase{"a/b/", "", {"a", "b"}, ""}, SplitCase{"./a/./b.txt", "", {"a"}, "b.txt"},
        SplitCase{"..a/b..", "", {"..a"}, "b.."}, SplitCase{"ab:c", "", {}, "ab:c"},
        SplitCase{"", "the name is empty", {}, ""},
        SplitCase{"../a", "the name leads out of the extraction folder", {}, ""},
        SplitCase{"a\\..\\..\\b", "the name leads out of the extraction folder", {}, ""},
        SplitCase{"a/..", "the name leads out of the extraction folder", {}, ""},
        SplitCase{"/etc/passwd", "the name is an absolute path", {}, ""},
        SplitCase{"\\x", "the name is an absolute path", {}, ""},
        SplitCase{"\\\\server\\share\\x", "the name is a network path", {}, ""},
        SplitCase{"//server/x", "the name is a network path", {}, ""},
        SplitCase{"C:\\x", "the name starts with a drive letter", {}, ""},
        SplitCase{"z:x", "the name starts with a drive letter", {}, ""},
        SplitCase{"a//b", "the name has an empty part", {}, ""},
        SplitCase{"a/\\b", "the name has an empty part", {}, ""},
        SplitCase{std::string("a\0b", 3), "the name contains a NUL byte", {}, ""},
        SplitCase{"a\tb", "the name contains a control character", {}, ""},
        SplitCase{".", "the name names the extraction folder itself", {}, ""},
        SplitCase{"./", "", {}, ""}));

// Windows reads these parts as something other than a file in its folder.
class EngineSplitWindowsName : public testing::TestWithParam<SplitCase> {};

TEST_P(EngineSplitWindowsName, RefusesWhatWindowsReadsDifferently) {
    ExpectSplit(GetParam(), NameRules::Windows);
}

std::string Device(const std::string& part) {
    return "the part \"" + part + "\" is a device name on Windows";
}

std::string Forbidden(const std::string& part, const std::string& character) {
    return "the part \"" + part + "\" contains \"" + character +
           "\", which Windows does not allow in names";
}

std::string Trailing(const std::string& part) {
    return "the part \"" + part + "\" ends with a dot or a space, which Windows drops";
}

INSTANTIATE_TEST_SUITE_P(
    All, EngineSplitWindowsName,
    testing::Values(
        SplitCase{"CON", Device("CON"), {}, ""}, SplitCase{"con", Device("con"), {}, ""},
        SplitCase{"CoN.txt", Device("CoN.txt"), {}, ""},
        SplitCase{"dir/aux/x.txt", Device("aux"), {}, ""},
        SplitCase{"aux .txt", Device("aux .txt"), {}, ""},
        SplitCase{"nul.tar.gz", Device("nul.tar.gz"), {}, ""},
        SplitCase{"NUL.", Device("NUL."), {}, ""}, SplitCase{"PRN", Device("PRN"), {}, ""},
        SplitCase{"COM0", Device("COM0"), {}, ""}, SplitCase{"com9.x", Device("com9.x"), {}, ""},
        SplitCase{"LPT1/", Device("LPT1"), {}, ""},
        SplitCase{"lpt\xC2\xB2", Device("lpt\xC2\xB2"), {}, ""},
        SplitCase{"CONIN$", Device("CONIN$"), {}, ""},
        SplitCase{"conout$.log", Device("conout$.log"), {}, ""},
        SplitCase{"ab:c",
                  "the part \"ab:c\" contains \":\", which names a stream or a drive on Windows",
                  {},
                  ""},
        SplitCase{"dir/file.txt::$DATA",
                  "the part \"file.txt::$DATA\" contains \":\", which names a stream or a drive "
                  "on Windows",
                  {},
                  ""},
        SplitCase{"a<b", Forbidden("a<b", "<"), {}, ""},
        SplitCase{"a>b", Forbidden("a>b", ">"), {}, ""},
        SplitCase{"a\"b", Forbidden("a\"b", "\""), {}, ""},
        SplitCase{"a|b", Forbidden("a|b", "|"), {}, ""},
        SplitCase{"a?b/c", Forbidden("a?b", "?"), {}, ""},
        SplitCase{"*", Forbidden("*", "*"), {}, ""}, SplitCase{"a.", Trailing("a."), {}, ""},
        SplitCase{"a ", Trailing("a "), {}, ""}, SplitCase{"a/b./c", Trailing("b."), {}, ""},
        SplitCase{"a/b /", Trailing("b "), {}, ""}, SplitCase{"...", Trailing("..."), {}, ""},
        SplitCase{" ", Trailing(" "), {}, ""},
        SplitCase{"..", "the name leads out of the extraction folder", {}, ""},
        SplitCase{"CONSOLE", "", {}, "CONSOLE"}, SplitCase{"com10", "", {}, "com10"},
        SplitCase{"COM", "", {}, "COM"}, SplitCase{"lpt\xC2\xB2x", "", {}, "lpt\xC2\xB2x"},
        SplitCase{"x.con", "", {}, "x.con"}, SplitCase{"con-fig.txt", "", {}, "con-fig.txt"},
        SplitCase{" con", Device(" con"), {}, ""}, SplitCase{".hidden", "", {}, ".hidden"},
        SplitCase{"./a b/c.d.e", "", {"a b"}, "c.d.e"}));

TEST(EngineDisplayName, ShowsSeparatorsAsBackslashesAndHidesControlCharacters) {
    EXPECT_EQ(DisplayName("docs/readme.txt"), "docs\\readme.txt");
    EXPECT_EQ(DisplayName(std::string("a\0b\n", 4)), "a?b?");
}

struct SpecCase {
    std::string name;
    std::string pattern;
    bool matches;
};

void PrintTo(const SpecCase& c, std::ostream* out) {
    *out << c.name << " ~ " << c.pattern;
}

class EngineFileSpecMatch : public testing::TestWithParam<SpecCase> {};

TEST_P(EngineFileSpecMatch, Matches) {
    const SpecCase& c = GetParam();
    EXPECT_EQ(MatchesFileSpec(c.name, c.pattern), c.matches) << c.name << " ~ " << c.pattern;
}

INSTANTIATE_TEST_SUITE_P(
    All, EngineFileSpecMatch,
    testing::Values(SpecCase{"a.txt", "*.txt", true}, SpecCase{"sub/a.txt", "*.txt", true},
                    SpecCase{"a.txt.bak", "*.txt", false},
                    SpecCase{"SUB/A.TXT", "sub\\a.txt", true}, SpecCase{"sub/a.txt", "sub", true},
                    SpecCase{"sub/deep/a.txt", "sub\\", true},
                    SpecCase{"subway/a.txt", "sub", false}, SpecCase{"a1.txt", "a?.txt", true},
                    SpecCase{"a12.txt", "a?.txt", false}, SpecCase{"abc", "a*b*c*", true},
                    SpecCase{"abd", "a*c", false}, SpecCase{"x", "", false}));

} // namespace
} // namespace engine
