#pragma once

#include <optional>
#include <string>
#include <string_view>

// Text at the boundary of the Windows API, for the Windows backend files
// only. Text inside the program is UTF-8. The "A" calls take text in the
// process's ANSI code page: UTF-8 itself when the program's manifest has
// made it the active code page (Windows 10 1903 and later), else the legacy
// code page of the system locale (1252, 1250, ...), which cannot carry every
// character; the "W" calls take UTF-16.
namespace platform::win {

// UTF-8 as UTF-16; ill-formed sequences become U+FFFD.
std::wstring Widen(std::string_view utf8);

// UTF-16 as UTF-8; lone surrogates become U+FFFD.
std::string Narrow(std::wstring_view utf16);

// True when the process's ANSI code page is UTF-8, so that the "A" calls
// carry every character unchanged.
bool AnsiIsUtf8();

// UTF-8 text in the ANSI code page. Characters the code page lacks become
// "?"; use ToAnsiExact where that would change the meaning (file names).
std::string ToAnsi(std::string_view utf8);

// UTF-8 text in the ANSI code page; nullopt when a character has no exact
// form there (no best-fit substitutes either: "ł" does not become "l").
// The caller then turns to the "W" call.
std::optional<std::string> ToAnsiExact(std::string_view utf8);

// ANSI code page text as UTF-8.
std::string FromAnsi(std::string_view ansi);

// The system's text for an error code (GetLastError()) in UTF-8, without
// the line break and the full stop Windows ends it with; "Error <code>" when
// the system has no text for it.
std::string ErrorText(unsigned long errorCode);

// ErrorText(GetLastError()).
std::string LastErrorText();

// The function `function` of the system library `library` ("sfc.dll"),
// loaded from the system folder by full path and kept loaded: a library not
// among the known DLLs, asked for by name, could be found elsewhere. Null
// when either is missing.
void* SystemLibraryFunction(const wchar_t* library, const char* function);

} // namespace platform::win
