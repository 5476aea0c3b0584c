#include "platform/Win32Text.h"

#include <windows.h>

#include <climits>

namespace platform::win {

namespace {

// The conversion calls count in int; longer text than that is no file name
// or message and is cut.
int ClampedLength(std::size_t size) {
    return size > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(size);
}

std::wstring MultiByteToWide(unsigned codePage, std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int length = ClampedLength(text.size());
    const int needed = ::MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    if (needed <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), needed);
    return wide;
}

} // namespace

std::wstring Widen(std::string_view utf8) {
    return MultiByteToWide(CP_UTF8, utf8);
}

std::string Narrow(std::wstring_view utf16) {
    if (utf16.empty()) {
        return {};
    }
    const int length = ClampedLength(utf16.size());
    const int needed =
        ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return {};
    }
    std::string utf8(static_cast<std::size_t>(needed), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, utf8.data(), needed, nullptr, nullptr);
    return utf8;
}

bool AnsiIsUtf8() {
    return ::GetACP() == CP_UTF8;
}

std::string ToAnsi(std::string_view utf8) {
    if (AnsiIsUtf8()) {
        return std::string(utf8);
    }
    const std::wstring wide = Widen(utf8);
    if (wide.empty()) {
        return {};
    }
    const int length = ClampedLength(wide.size());
    const int needed = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length,
                                             nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return {};
    }
    std::string ansi(static_cast<std::size_t>(needed), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length, ansi.data(), needed,
                          nullptr, nullptr);
    return ansi;
}

std::optional<std::string> ToAnsiExact(std::string_view utf8) {
    if (AnsiIsUtf8()) {
        return std::string(utf8);
    }
    const std::wstring wide = Widen(utf8);
    if (wide.empty()) {
        return utf8.empty() ? std::optional<std::string>(std::string()) : std::nullopt;
    }
    const int length = ClampedLength(wide.size());
    BOOL usedDefault = FALSE;
    const int needed = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length,
                                             nullptr, 0, nullptr, &usedDefault);
    if (needed <= 0 || usedDefault) {
        return std::nullopt;
    }
    std::string ansi(static_cast<std::size_t>(needed), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length, ansi.data(), needed,
                          nullptr, &usedDefault);
    if (usedDefault) {
        return std::nullopt;
    }
    return ansi;
}

std::string FromAnsi(std::string_view ansi) {
    if (AnsiIsUtf8()) {
        return std::string(ansi);
    }
    return Narrow(MultiByteToWide(CP_ACP, ansi));
}

std::string ErrorText(unsigned long errorCode) {
    char buffer[1024];
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                         errorCode, 0, buffer, sizeof buffer, nullptr);
    std::string text = FromAnsi(std::string_view(buffer, length));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    // Callers put the reason into a sentence of their own.
    if (!text.empty() && text.back() == '.') {
        text.pop_back();
    }
    if (text.empty()) {
        return "Error " + std::to_string(errorCode);
    }
    return text;
}

std::string LastErrorText() {
    return ErrorText(::GetLastError());
}

void* SystemLibraryFunction(const wchar_t* library, const char* function) {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return nullptr;
    }
    HMODULE module = ::LoadLibraryW((std::wstring(folder, length) + L"\\" + library).c_str());
    return module == nullptr ? nullptr
                             : reinterpret_cast<void*>(::GetProcAddress(module, function));
}

} // namespace platform::win
