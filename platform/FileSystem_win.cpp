#include "platform/FileSystem.h"

#include "platform/Win32Text.h"

#include <windows.h>

#include <algorithm>

namespace platform {

namespace {

DWORD AttributesOf(const std::string& path) {
    if (const auto ansi = win::ToAnsiExact(path)) {
        return ::GetFileAttributesA(ansi->c_str());
    }
    return ::GetFileAttributesW(win::Widen(path).c_str());
}

HANDLE OpenFile(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                DWORD flags) {
    if (const auto ansi = win::ToAnsiExact(path)) {
        return ::CreateFileA(ansi->c_str(), access, share, nullptr, disposition, flags, nullptr);
    }
    return ::CreateFileW(win::Widen(path).c_str(), access, share, nullptr, disposition, flags,
                         nullptr);
}

// "C:\..." and "\\server\share\..." (either slash); "\dir" and "C:dir" still
// depend on the current drive or its current folder.
bool IsAbsolute(const std::string& path) {
    const auto isSlash = [](char c) { return c == '\\' || c == '/'; };
    if (path.size() >= 3 && path[1] == ':' && isSlash(path[2])) {
        return true;
    }
    return path.size() >= 2 && isSlash(path[0]) && isSlash(path[1]);
}

std::string FullPathWide(const std::string& path) {
    const std::wstring wide = win::Widen(path);
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) {
            return path;
        }
        if (length < full.size()) {
            full.resize(length);
            return win::Narrow(full);
        }
        full.resize(length);
    }
}

} // namespace

bool FileExists(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool ReadWholeFile(const std::string& path, std::string& contents, std::string& reason) {
    contents.clear();
    HANDLE file = OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN);
    if (file == INVALID_HANDLE_VALUE) {
        reason = win::LastErrorText();
        return false;
    }
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
            reason = win::LastErrorText();
            ::CloseHandle(file);
            contents.clear();
            return false;
        }
        if (got == 0) {
            break;
        }
        contents.append(buffer, got);
    }
    ::CloseHandle(file);
    return true;
}

bool WriteWholeFile(const std::string& path, const std::string& contents, std::string& reason) {
    HANDLE file =
        OpenFile(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
    if (file == INVALID_HANDLE_VALUE) {
        reason = win::LastErrorText();
        return false;
    }
    std::size_t done = 0;
    while (done < contents.size()) {
        const std::size_t step = std::min<std::size_t>(contents.size() - done, 1u << 30);
        DWORD put = 0;
        if (!::WriteFile(file, contents.data() + done, static_cast<DWORD>(step), &put, nullptr)) {
            reason = win::LastErrorText();
            ::CloseHandle(file);
            return false;
        }
        done += put;
    }
    if (!::CloseHandle(file)) {
        reason = win::LastErrorText();
        return false;
    }
    return true;
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty() || IsAbsolute(path)) {
        return path;
    }
    const auto ansi = win::ToAnsiExact(path);
    if (!ansi) {
        return FullPathWide(path);
    }
    std::string full(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = ::GetFullPathNameA(ansi->c_str(), static_cast<DWORD>(full.size()),
                                                full.data(), nullptr);
        if (length == 0) {
            return path;
        }
        if (length < full.size()) {
            full.resize(length);
            break;
        }
        full.resize(length);
    }
    // "?" is never part of a Windows path: the current folder holds a
    // character the ANSI code page lacks.
    if (full.find('?') != std::string::npos) {
        return FullPathWide(path);
    }
    return win::FromAnsi(full);
}

bool ChangeCurrentFolder(const std::string& path, std::string& reason) {
    BOOL changed = FALSE;
    if (const auto ansi = win::ToAnsiExact(path)) {
        changed = ::SetCurrentDirectoryA(ansi->c_str());
    } else {
        changed = ::SetCurrentDirectoryW(win::Widen(path).c_str());
    }
    if (!changed) {
        reason = win::LastErrorText();
        return false;
    }
    return true;
}

std::string TemporaryFolder() {
    wchar_t buffer[MAX_PATH + 2] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
    std::wstring path(buffer, length > 0 && length <= MAX_PATH + 1 ? length : 0);
    // Given without a closing separator, a drive as "C:".
    while (path.size() > 2 && path.back() == L'\\') {
        path.pop_back();
    }
    return win::Narrow(path);
}

} // namespace platform
