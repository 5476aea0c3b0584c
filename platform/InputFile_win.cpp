#include "platform/InputFile.h"

#include "platform/Win32Text.h"

#include <windows.h>

#include <algorithm>
#include <utility>

namespace platform {

namespace {

HANDLE HandleOf(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

} // namespace

InputFile::~InputFile() {
    Close();
}

InputFile::InputFile(InputFile&& other) noexcept
    : m_handle(std::exchange(other.m_handle, kClosed)), m_size(std::exchange(other.m_size, 0)) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
    if (this != &other) {
        Close();
        m_handle = std::exchange(other.m_handle, kClosed);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

bool InputFile::Open(const std::string& path, std::string& reason) {
    Close();
    // Backup semantics let a folder be opened too, so that it is refused
    // with a reason of its own rather than "Access is denied".
    constexpr DWORD kShare = FILE_SHARE_READ;
    constexpr DWORD kFlags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS;
    HANDLE file = INVALID_HANDLE_VALUE;
    if (const auto ansi = win::ToAnsiExact(path)) {
        file = ::CreateFileA(ansi->c_str(), GENERIC_READ, kShare, nullptr, OPEN_EXISTING, kFlags,
                             nullptr);
    } else {
        file = ::CreateFileW(win::Widen(path).c_str(), GENERIC_READ, kShare, nullptr, OPEN_EXISTING,
                             kFlags, nullptr);
    }
    if (file == INVALID_HANDLE_VALUE) {
        reason = win::LastErrorText();
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file, &info)) {
        reason = "Not a regular file";
        ::CloseHandle(file);
        return false;
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        reason = "Is a directory";
        ::CloseHandle(file);
        return false;
    }
    m_handle = reinterpret_cast<std::intptr_t>(file);
    m_size = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) |
                                       info.nFileSizeLow);
    return true;
}

void InputFile::Close() {
    if (IsOpen()) {
        ::CloseHandle(HandleOf(m_handle));
        m_handle = kClosed;
        m_size = 0;
    }
}

// The offset travels in the OVERLAPPED structure, so reads of several
// threads do not disturb each other as a shared file pointer would.
std::size_t InputFile::ReadAt(std::int64_t offset, char* buffer, std::size_t count) const {
    if (!IsOpen() || offset < 0) {
        return 0;
    }
    std::size_t done = 0;
    while (done < count) {
        const auto at = static_cast<std::uint64_t>(offset) + done;
        OVERLAPPED position{};
        position.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
        position.OffsetHigh = static_cast<DWORD>(at >> 32);
        const auto step = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
        DWORD got = 0;
        if (!::ReadFile(HandleOf(m_handle), buffer + done, step, &got, &position) || got == 0) {
            break;
        }
        done += got;
    }
    return done;
}

} // namespace platform
