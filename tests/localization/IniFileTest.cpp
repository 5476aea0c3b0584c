#include "localization/IniFile.h"

#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace localization {
namespace {

using Names = std::vector<std::string>;

const std::string kIniDir = std::string(VG_TEST_DATA_DIR) + "/ini/";
constexpr const char* kDefault = "<default>";

struct ReadCase {
    const char* name;
    std::string_view ini;
    const char* section;
    const char* key;
    const char* expected;
};

const ReadCase kReadCases[] = {
    {"BlanksAroundValue", "[s]\nk = \t\vv w\t \v\n", "s", "k", "v w"},
    {"BlanksAroundKey", "[s]\n \t\vk \t\v=v", "s", "k", "v"},
    {"BlanksInsideBrackets", " \t[ \t\vs \t]\nk=v", "s", "k", "v"},
    {"CallerSpacesDropped", "[s]\nk=v", "  s ", " k  ", "v"},
    {"CallerTabsKept", "[s]\nk=v", "\ts", "k", kDefault},
    {"DoubleQuotesKeepInnerBlanks", "[s]\nk=  \"  a b  \"  ", "s", "k", "  a b  "},
    {"SingleQuotes", "[s]\nk='x'", "s", "k", "x"},
    {"DifferentQuotesStay", "[s]\nk=\"x'", "s", "k", "\"x'"},
    {"OnlyOuterQuotesGo", "[s]\nk=\"'x'\"", "s", "k", "'x'"},
    {"LoneQuoteStays", "[s]\nk=\"", "s", "k", "\""},
    {"OpeningQuoteOnlyStays", "[s]\nk=\"x", "s", "k", "\"x"},
    {"EmptyQuotes", "[s]\nk=\"\"", "s", "k", ""},
    {"QuotedKeyNameKeepsQuotes", "[s]\n\"k\"=v", "s", "k", kDefault},
    {"CommentLine", "[s]\n;k=v", "s", ";k", kDefault},
    {"IndentedCommentLine", "[s]\n \t\v;k=v", "s", ";k", kDefault},
    {"SemicolonInValue", "[s]\nk=a ;b", "s", "k", "a ;b"},
    {"ValueStartsWithSemicolon", "[s]\nk=;v", "s", "k", ";v"},
    {"SemicolonInsideKey", "[s]\nk;x=v", "s", "k;x", "v"},
    {"HashIsNoComment", "[s]\n#k=v", "s", "#k", "v"},
    {"SemicolonInSectionName", "[;s]\nk=v", ";s", "k", "v"},
    {"LineWithoutEqualsIsNoKey", "[s]\nk\n", "s", "k", kDefault},
    {"LineWithoutEqualsThenKey", "[s]\nk\nK=v", "s", "k", "v"},
    {"SplitAtFirstEquals", "[s]\nk=a=b", "s", "k", "a=b"},
    {"EmptyValueIsFound", "[s]\nk=\t", "s", "k", ""},
    {"EmptyKeyName", "[s]\n =v", "s", "", "v"},
    {"KeyBeforeSectionUnreachable", "k=v\n[s]\n", "", "k", kDefault},
    {"KeyBeforeSectionNotInFirst", "k=v\n[s]\n", "s", "k", kDefault},
    {"NoClosingBracket", "[s  \nk=v", "s", "k", "v"},
    {"TextAfterBracketIgnored", "[s] junk\nk=v", "s", "k", "v"},
    {"KeyAfterBracketIgnored", "[s]k=v", "s", "k", kDefault},
    {"SecondBracketPairIsName", "[s][t]\nk=v", "s", "k", "v"},
    {"SecondBracketPairHidden", "[s][t]\nk=v", "t", "k", kDefault},
    {"NoOpeningBracket", "s]\nk=v", "s", "k", kDefault},
    {"OpeningBracketInName", "[[s]\nk=v", "[s", "k", "v"},
    {"EmptySectionName", "[]\nk=v", "", "k", "v"},
    {"DuplicateKeyFirstWins", "[s]\nk=1\nK=2", "s", "k", "1"},
    {"DuplicateSectionFirstWins", "[s]\nk=1\n[t]\n[S]\nk=2", "s", "k", "1"},
    {"DuplicateSectionLaterKeysIgnored", "[s]\n[s]\nk=v", "s", "k", kDefault},
    {"CaseAscii", "[Section]\nKey=Value", "sECTION", "KEY", "Value"},
    {"CaseLatin1", "[Über]\nÄnderung=ja", "über", "äNDERUNG", "ja"},
    {"CaseLatinExtendedA", "[Łódź]\nk=v", "ŁÓDŹ", "k", "v"},
    {"CaseGreekTonosAndFinalSigma", "[Ήχος]\nΌνομα=α", "ΉΧΟΣ", "όνομα", "α"},
    {"CaseCyrillic", "[Язык]\nk=v", "ЯЗЫК", "k", "v"},
    {"CrOnly", "[s]\rk=v\rj=w", "s", "j", "w"},
    {"MixedLineEnds", "[s]\r\r\nk=v\n\rj=w", "s", "j", "w"},
    {"InvalidUtf8UsesLegacyCodePage", "[s]\nk=caf\xE9", "s", "k", "café"},
};

class IniFileRead : public testing::TestWithParam<ReadCase> {};

TEST_P(IniFileRead, FollowsWindows) {
    const ReadCase& c = GetParam();
    EXPECT_EQ(IniFile::FromBytes(c.ini).ReadString(c.section, c.key, kDefault), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Rules, IniFileRead, testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

std::string Repeat(std::string_view piece, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += piece;
    }
    return text;
}

TEST(IniFileCut, ValuesAreCutByCharacters) {
    IniFile ascii = IniFile::FromBytes("[s]\nk=" + Repeat("x", 3000) + "\nq=\"abcdef\"");
    EXPECT_EQ(ascii.ReadString("s", "k"), Repeat("x", 2047));
    EXPECT_EQ(ascii.ReadString("s", "k", "", 5), "xxxx");
    EXPECT_EQ(ascii.ReadString("s", "k", "", 1), "");
    EXPECT_EQ(ascii.ReadString("s", "k", "", 0), "");
    EXPECT_EQ(ascii.ReadString("s", "q", "", 4), "abc");

    IniFile greek = IniFile::FromBytes("[s]\nk=" + Repeat("λ", 3000) + "\ne=😀😀😀");
    EXPECT_EQ(greek.ReadString("s", "k"), Repeat("λ", 2047));
    EXPECT_EQ(greek.ReadString("s", "e", "", 3), "😀😀");
}

TEST(IniFileCut, DefaultLosesTrailingSpacesAndIsCut) {
    IniFile file = IniFile::FromBytes("[s]\nk=v");
    EXPECT_EQ(file.ReadString("s", "missing", "  one two  "), "  one two");
    EXPECT_EQ(file.ReadString("s", "missing", "abcdef", 3), "ab");
    EXPECT_EQ(file.ReadString("s", "missing"), "");
}

TEST(IniFileSectionNames, FileOrderWithDuplicatesWithoutEmptyNames) {
    IniFile file = IniFile::FromBytes("k=v\n[One]\n[two]\n[]\n[ONE]\nk=v\n[ Three ]junk");
    EXPECT_EQ(file.SectionNames(), (Names{"One", "two", "ONE", "Three"}));
    EXPECT_TRUE(file.HasSection(""));
    EXPECT_TRUE(file.HasSection(" three"));
    EXPECT_FALSE(file.HasSection("four"));
}

TEST(IniFileSectionNames, NameThatDoesNotFitEndsTheList) {
    IniFile file = IniFile::FromBytes("[section1]\n[section2]\n[section3]");
    EXPECT_EQ(file.SectionNames(28).size(), 3u);
    EXPECT_EQ(file.SectionNames(27), (Names{"section1", "section2"}));
    EXPECT_TRUE(file.SectionNames(1).empty());
    EXPECT_TRUE(file.SectionNames(0).empty());
    EXPECT_EQ(IniFile::FromBytes("[abc]\n[longname]\n[x]").SectionNames(10), Names{"abc"});
    EXPECT_EQ(IniFile::FromBytes("[αβγ]").SectionNames(5), Names{"αβγ"});
}

TEST(IniFileSectionNames, DefaultBufferHolds16384Bytes) {
    std::string ini;
    for (int i = 0; i < 2000; ++i) {
        ini += "[name" + std::to_string(1000 + i) + "]\n";
    }
    Names names = IniFile::FromBytes(ini).SectionNames();
    ASSERT_EQ(names.size(), 1820u); // 16383 / 9
    EXPECT_EQ(names.back(), "name2819");
}

struct FileCase {
    const char* file;
    const char* section;
    const char* key;
    const char* expected;
};

TEST(IniFileOnDisk, CraftedFiles) {
    const FileCase cases[] = {
        {"value-quoted.ini", "Texts", "Title", "  Setup Wizard  "},
        {"no-closing-bracket.ini", "texts", "Title", "Setup"},
        {"duplicate-section.ini", "Texts", "Title", "First"},
        {"duplicate-section.ini", "Texts", "Button", kDefault},
        {"duplicate-key.ini", "Texts", "Title", "First"},
        {"key-before-section.ini", "", "Title", kDefault},
        {"key-before-section.ini", "Texts", "Button", "Next"},
    };
    for (const FileCase& c : cases) {
        IniFile file(kIniDir + c.file);
        EXPECT_TRUE(file.Exists()) << c.file;
        EXPECT_EQ(file.ReadString(c.section, c.key, kDefault), c.expected) << c.file;
    }
    EXPECT_EQ(IniFile(kIniDir + "duplicate-section.ini").SectionNames(),
              (Names{"Texts", "Other", "TEXTS"}));
}

TEST(IniFileOnDisk, ByteOrderMarks) {
    for (const char* name : {"utf8-bom.ini", "utf16le-bom.ini", "utf16be-bom.ini"}) {
        IniFile file(kIniDir + name, 1253);
        EXPECT_EQ(file.SectionNames(), Names{"Γλώσσα"}) << name;
        EXPECT_EQ(file.ReadString("ΓΛΏΣΣΑ", "όνομα"), "Ελληνικά") << name;
        EXPECT_EQ(file.ReadString("Γλώσσα", "Emoji"), "😀") << name;
    }
}

TEST(IniFileOnDisk, LegacyCodePage) {
    IniFile greek(kIniDir + "cp1253-greek.ini", 1253);
    EXPECT_EQ(greek.SectionNames(), Names{"Γλώσσα"});
    EXPECT_EQ(greek.ReadString("Γλώσσα", "Όνομα"), "Ελληνικά");
    EXPECT_FALSE(IniFile(kIniDir + "cp1253-greek.ini", 1252).HasSection("Γλώσσα"));
}

TEST(IniFileOnDisk, UnreadablePathGivesDefaults) {
    for (const std::string& path : {kIniDir + "does-not-exist.ini", kIniDir}) {
        IniFile file(path);
        EXPECT_FALSE(file.Exists()) << path;
        EXPECT_EQ(file.ReadString("s", "k", "fallback"), "fallback");
        EXPECT_TRUE(file.SectionNames().empty());
        EXPECT_FALSE(file.HasSection(""));
    }
    EXPECT_TRUE(IniFile::FromBytes("").Exists());
}

TEST(IniFileOnDisk, OnlyTheFirstFourMebibytesAreRead) {
    auto path = std::filesystem::temp_directory_path() / "vg-inifile-oversized.ini";
    {
        std::ofstream out(path, std::ios::binary);
        out << "[first]\r\n" << Repeat(";" + std::string(1022, 'x') + "\n", 4096) << "[last]\r\n";
    }
    IniFile file(path.string());
    std::filesystem::remove(path);
    EXPECT_TRUE(file.HasSection("first"));
    EXPECT_FALSE(file.HasSection("last"));
}

std::string Utf16(std::u16string_view units, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : units) {
        char high = static_cast<char>(unit >> 8);
        char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

TEST(IniFileDecoding, Utf16BadSurrogatesBecomeReplacementCharacters) {
    std::u16string text = u"[s]\nk=";
    text += {0xD800, u'A', 0xDC00, 0xD83D, 0xDE00, 0xDE00, 0xD83D};
    for (bool bigEndian : {false, true}) {
        std::string bytes = Utf16(text, bigEndian);
        EXPECT_EQ(IniFile::FromBytes(bytes).ReadString("s", "k"), "\uFFFDA\uFFFD😀\uFFFD\uFFFD");
        EXPECT_EQ(IniFile::FromBytes(bytes + "?").ReadString("s", "k"),
                  "\uFFFDA\uFFFD😀\uFFFD\uFFFD\uFFFD");
    }
}

TEST(IniFileDecoding, Utf8BomKeepsUtf8AndReplacesBadBytes) {
    EXPECT_EQ(IniFile::FromBytes("\xEF\xBB\xBF[s]\nk=a\xE9z").ReadString("s", "k"), "a\uFFFDz");
}

TEST(IniFileDecoding, GarbageNeverBreaksIt) {
    const std::string_view alphabet("[]=;\"' \t\r\n\xC3\xA9\xFF\xFE\xEF\xBB\xBF\0a", 19);
    std::uint32_t state = 12345;
    std::string garbage;
    for (int i = 0; i < 1 << 20; ++i) {
        state = state * 1664525u + 1013904223u;
        garbage += (state >> 31) ? alphabet[(state >> 8) % alphabet.size()]
                                 : static_cast<char>(state >> 16);
    }
    for (std::string_view bytes :
         {std::string_view(garbage), std::string_view(garbage).substr(1)}) {
        IniFile file = IniFile::FromBytes(bytes);
        for (const std::string& name : file.SectionNames(1 << 30)) {
            ASSERT_TRUE(platform::IsValidUtf8(name));
            ASSERT_TRUE(platform::IsValidUtf8(file.ReadString(name, "a")));
        }
    }
    IniFile brackets = IniFile::FromBytes(Repeat("[\n", 1 << 20));
    EXPECT_TRUE(brackets.SectionNames().empty());
    EXPECT_TRUE(brackets.HasSection(""));
}

} // namespace
} // namespace localization
