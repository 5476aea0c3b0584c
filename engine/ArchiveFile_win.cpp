#include "engine/ByteSource.h"
#include "engine/SystemText.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace engine {

namespace {

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
