#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

using platform::DecodeCodePage;
using platform::IsValidUtf8;

struct Utf8Case {
    const char* name;
    std::string bytes;
    bool valid;
};

void PrintTo(const Utf8Case& c, std::ostream* os) {
    *os << c.name;
}

class Utf8ValidityTest : public testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8ValidityTest, JudgesWellFormedness) {
    EXPECT_EQ(IsValidUtf8(GetParam().bytes), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, Utf8ValidityTest,
    testing::Values(
        Utf8Case{"Empty", "", true}, Utf8Case{"AsciiWithNul", std::string("a\0b", 3), true},
        Utf8Case{"TwoByte", "\xC3\xA9", true}, Utf8Case{"ThreeByteEuro", "\xE2\x82\xAC", true},
        Utf8Case{"FourByte", "\xF0\x9F\x98\x80", true},
        Utf8Case{"LastBeforeSurrogates", "\xED\x9F\xBF", true},
        Utf8Case{"FirstAfterSurrogates", "\xEE\x80\x80", true},
        Utf8Case{"HighestCodePoint", "\xF4\x8F\xBF\xBF", true},
        Utf8Case{"OverlongSlash", "\xC0\xAF", false}, Utf8Case{"OverlongC1", "\xC1\xBF", false},
        Utf8Case{"OverlongThreeByte", "\xE0\x9F\xBF", false},
        Utf8Case{"OverlongFourByte", "\xF0\x8F\xBF\xBF", false},
        Utf8Case{"SurrogateLow", "\xED\xA0\x80", false},
        Utf8Case{"SurrogateHigh", "\xED\xBF\xBF", false},
        Utf8Case{"AboveMaximum", "\xF4\x90\x80\x80", false},
        Utf8Case{"LeadF5", "\xF5\x80\x80\x80", false}, Utf8Case{"LeadFF", "\xFF", false},
        Utf8Case{"LoneContinuation", "a\x80", false}, Utf8Case{"TruncatedTwoByte", "\xC3", false},
        Utf8Case{"TruncatedThreeByte", "x\xE2\x82", false},
        Utf8Case{"TruncatedFourByte", "\xF0\x9F\x98", false},
        Utf8Case{"ThirdByteNotContinuation", "\xE2\x82\x41", false},
        Utf8Case{"FourthByteNotContinuation", "\xF0\x9F\x98\xC3", false}),
    [](const testing::TestParamInfo<Utf8Case>& info) { return std::string(info.param.name); });

struct DecodeCase {
    const char* name;
    int codePage;
    std::string bytes;
    std::string utf8;
};

void PrintTo(const DecodeCase& c, std::ostream* os) {
    *os << c.name << " (code page " << c.codePage << ")";
}

class DecodeCodePageTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeCodePageTest, ProducesExpectedUtf8) {
    EXPECT_EQ(DecodeCodePage(GetParam().bytes, GetParam().codePage), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, DecodeCodePageTest,
    testing::Values(
        DecodeCase{"GreekAnsi", 1253, "\xCA\xE1\xEB\xE7\xEC\xDD\xF1\xE1 \xA2", "Καλημέρα Ά"},
        DecodeCase{"PolishAnsi", 1250, "\xA3\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF", "Łąćęłńóśźż"},
        DecodeCase{"CzechAnsi", 1250, "\x8A\x9A\xE8\xF8\xEC\xF9\x9E\xFD\xE1", "Šščřěůžýá"},
        DecodeCase{"WesternAnsi", 1252, "\x80 caf\xE9 \x9F\x85\x93\x94", "€ café Ÿ…“”"},
        DecodeCase{"CyrillicAnsi", 1251, "\xC0\xE0\xA8", "АаЁ"},
        DecodeCase{"OemUs", 437, "\x81\x82\xB0\xC9\xE1\x9C", "üé░╔ß£"},
        DecodeCase{"OemWestern", 850, "\x81\xB5\xD5\x9B\x9D\xC9", "üÁıøØ╔"},
        DecodeCase{"OemGreek", 737, "\x80\x98", "Αα"},
        DecodeCase{"OemCentral", 852, "\xA5\x88\x9D", "ąłŁ"},
        DecodeCase{"OemCyrillic", 866, "\x80\xA0", "Аа"},
        DecodeCase{"AsciiUnchanged", 437, std::string("plain\0\x7F", 7),
                   std::string("plain\0\x7F", 7)},
        DecodeCase{"EmptyInput", 1253, "", ""},
        DecodeCase{"UnknownCodePageIsWestern", 12345, "caf\xE9 \x80", "café €"},
        DecodeCase{"NegativeCodePageIsWestern", -1, "\xE9", "é"},
        DecodeCase{"UndefinedWestern", 1252,
                   "a\x81"
                   "b\x8D\x8F\x90\x9D"
                   "c",
                   "a\uFFFDb\uFFFD\uFFFD\uFFFD\uFFFDc"},
        DecodeCase{"UndefinedGreek", 1253, "\xAA\xC1\xD2\xFF", "\uFFFDΑ\uFFFD\uFFFD"},
        DecodeCase{"UndefinedCentral", 1250, "\x81\x8A\x83", "\uFFFDŠ\uFFFD"}),
    [](const testing::TestParamInfo<DecodeCase>& info) { return std::string(info.param.name); });

// Each byte of a single-byte code page is one character, defined or not, so
// decoding all 256 bytes yields exactly 256 code points of valid UTF-8.
TEST(DecodeCodePageTest, EveryByteOfEveryCodePageBecomesOneCharacter) {
    std::string allBytes;
    for (int b = 0; b < 256; ++b) {
        allBytes += static_cast<char>(b);
    }
    for (int codePage : {437, 737, 850, 852, 866, 1250, 1251, 1252, 1253}) {
        std::string text = DecodeCodePage(allBytes, codePage);
        ASSERT_TRUE(IsValidUtf8(text)) << codePage;
        size_t codePoints = 0;
        for (char c : text) {
            codePoints += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        }
        EXPECT_EQ(codePoints, 256u) << codePage;
    }
}

TEST(DecodeCodePageTest, LongInputLargerThanOneConversionStep) {
    std::string bytes(5000, '\xE9');
    bytes += '\x81';
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        expected += "é";
    }
    expected += "\uFFFD";
    EXPECT_EQ(DecodeCodePage(bytes, 1252), expected);
}

} // namespace
