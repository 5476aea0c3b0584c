#include "engine/SystemText.h"

#include <windows.h>

namespace engine {

std::wstring Widen(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    int length =
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                          length);
    return wide;
}

std::string SystemMessage(unsigned long code) {
    wchar_t* buffer = nullptr;
    DWORD length = 0;
    for (DWORD language : {DWORD{MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)}, DWORD{0}}) {
        length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, language, reinterpret_cast<wchar_t*>(&buffer), 0,
                                  nullptr);
        if (length > 0) {
            break;
        }
    }
    if (length == 0) {
        return "system error " + std::to_string(code);
    }
    while (length > 0 && (buffer[length - 1] == L'\r' || buffer[length - 1] == L'\n' ||
                          buffer[length - 1] == L'.' || buffer[length - 1] == L' ')) {
        --length;
    }
    int size = ::WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(length), nullptr, 0,
                                     nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(length), text.data(), size, nullptr,
                          nullptr);
    ::LocalFree(buffer);
    return text;
}

} // namespace engine
