#include "platform/Win32Text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

// These tests run twice: in platform_tests, whose ANSI code page is the
// legacy one of the locale (1252 for the en-US locale Wine gives LANG=C.UTF-8),
// and in platform_utf8_tests, whose manifest makes UTF-8 the ANSI code page
// (Wine honours activeCodePage as Windows 10 1903 does).

namespace {

using platform::win::FromAnsi;
using platform::win::Narrow;
using platform::win::ToAnsi;
using platform::win::ToAnsiExact;
using platform::win::Widen;

TEST(Win32TextTest, TheAnsiCodePageIsTheOneTheProgramAskedFor) {
#ifdef VG_UTF8_MANIFEST
    EXPECT_TRUE(platform::win::AnsiIsUtf8()) << "the manifest was not honoured";
#else
    EXPECT_FALSE(platform::win::AnsiIsUtf8());
#endif
}

TEST(Win32TextTest, Utf16RoundTripKeepsEveryCharacter) {
    const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80" + std::string(1, '\0') + "z";
    const std::wstring wide = Widen(text);
    EXPECT_EQ(wide, std::wstring(L"a\u00E9\u20AC\xD83D\xDE00") + L'\0' + L"z");
    EXPECT_EQ(Narrow(wide), text);
    EXPECT_EQ(Widen(""), L"");
    EXPECT_EQ(Narrow(L""), "");
}

TEST(Win32TextTest, IllFormedTextBecomesReplacementCharacters) {
    EXPECT_EQ(Widen("a\xFF"
                    "b"),
              L"a\uFFFDb");
    EXPECT_EQ(Narrow(std::wstring(L"a") + wchar_t(0xD800) + L"b"), "a\xEF\xBF\xBD"
                                                                   "b");
}

TEST(Win32TextTest, AnsiFormFollowsTheActiveCodePage) {
    const std::string cafe = "caf\xC3\xA9";
    const std::string polish = "\xC5\x82\xC3\xB3\x64\xC5\xBA"; // "łódź"
    if (platform::win::AnsiIsUtf8()) {
        EXPECT_EQ(ToAnsi(cafe), cafe);
        EXPECT_EQ(ToAnsiExact(polish), polish);
        EXPECT_EQ(FromAnsi(polish), polish);
        return;
    }
    ASSERT_EQ(::GetACP(), 1252u) << "the expectations below are those of code page 1252";
    EXPECT_EQ(ToAnsi(cafe), "caf\xE9");
    EXPECT_EQ(ToAnsiExact(cafe), "caf\xE9");
    EXPECT_EQ(FromAnsi("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
    // "ł" and "ź" have no form in 1252; a best-fit "l" or "z" would name
    // another file.
    EXPECT_EQ(ToAnsiExact(polish), std::nullopt);
    EXPECT_EQ(ToAnsi(polish).find('l'), std::string::npos);
    EXPECT_EQ(ToAnsiExact(""), "");
}

TEST(Win32TextTest, ErrorTextIsOneSentenceWithoutLineBreakOrFullStop) {
    for (DWORD code : {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_MOD_NOT_FOUND}) {
        const std::string text = platform::win::ErrorText(code);
        ASSERT_FALSE(text.empty()) << code;
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
        EXPECT_NE(text.back(), '.') << text;
        EXPECT_NE(text.back(), ' ') << text;
    }
    EXPECT_NE(platform::win::ErrorText(ERROR_FILE_NOT_FOUND),
              platform::win::ErrorText(ERROR_ACCESS_DENIED));
    EXPECT_EQ(platform::win::ErrorText(0x2FFFFFFF), "Error 805306367");
    ::SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(platform::win::LastErrorText(), platform::win::ErrorText(ERROR_ACCESS_DENIED));
}

} // namespace
