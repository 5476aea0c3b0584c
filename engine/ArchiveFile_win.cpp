#include "engine/ByteSource.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace engine {

namespace {

std::wstring Widen(const std::string& text) {
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

// The system's text for an error code, in UTF-8 without the closing period.
std::string SystemMessage(DWORD code) {
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

// The absolute form of `path` with the \\?\ prefix, which lifts the
// MAX_PATH limit; device paths (\\.\) stay as they are.
std::wstring LongPath(const std::wstring& path) {
    DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        return path;
    }
    std::wstring full(size, L'\0');
    size = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    full.resize(size);
    if (full.rfind(L"\\\\?\\", 0) == 0 || full.rfind(L"\\\\.\\", 0) == 0) {
        return full;
    }
    if (full.rfind(L"\\\\", 0) == 0) {
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return L"\\\\?\\" + full;
}

class ArchiveFile : public ByteSource {
public:
    ArchiveFile(HANDLE file, std::uint64_t size) : m_file(file), m_size(size) {}
    ~ArchiveFile() override { ::CloseHandle(m_file); }
    ArchiveFile(const ArchiveFile&) = delete;
    ArchiveFile& operator=(const ArchiveFile&) = delete;

    std::uint64_t Size() const override { return m_size; }

    std::int64_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override {
        auto* out = static_cast<char*>(buffer);
        std::size_t done = 0;
        while (done < size && offset + done < m_size) {
            std::uint64_t position = offset + done;
            auto step = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(position);
            at.OffsetHigh = static_cast<DWORD>(position >> 32);
            DWORD count = 0;
            if (!::ReadFile(m_file, out + done, step, &count, &at)) {
                DWORD error = ::GetLastError();
                if (error == ERROR_HANDLE_EOF) {
                    break;
                }
                m_error = SystemMessage(error);
                return -1;
            }
            if (count == 0) {
                break;
            }
            done += count;
        }
        return static_cast<std::int64_t>(done);
    }

private:
    HANDLE m_file;
    std::uint64_t m_size;
};

} // namespace

std::unique_ptr<ByteSource> OpenArchiveFile(const std::string& path, std::string& error) {
    std::wstring wide = LongPath(Widen(path));
    DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        error = "it is a folder";
        return nullptr;
    }
    // Writers are kept out while the archive is read.
    HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = SystemMessage(::GetLastError());
        return nullptr;
    }
    LARGE_INTEGER size{};
    if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileSizeEx(file, &size)) {
        error = "not a regular file";
        ::CloseHandle(file);
        return nullptr;
    }
    return std::make_unique<ArchiveFile>(file, static_cast<std::uint64_t>(size.QuadPart));
}

} // namespace engine
