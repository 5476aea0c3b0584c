#include "platform/FileCopy.h"

#include "platform/Win32Text.h"

#include <windows.h>

#include <optional>
#include <random>

// The data are copied here chunk by chunk into a temporary file beside the
// target, which is then moved over it. Neither system copy fits the
// contract: SHFileOperation shows progress only in a window of its own,
// cannot be stopped by the caller's Cancel button, has no reason text for a
// failure and writes straight into the target, which is half old, half new
// when the copy breaks off; CopyFileEx reports progress and takes a cancel
// only through a callback that not every implementation calls (Wine 8
// does not), so the same program would copy without progress or cancel there.

namespace platform {

namespace {

// A path as the file calls take it: in the ANSI code page when every
// character fits, else in UTF-16 for the "W" calls.
class NativePath {
public:
    explicit NativePath(const std::string& text)
        : m_utf8(text), m_ansi(win::ToAnsiExact(text)),
          m_wide(m_ansi ? std::wstring() : win::Widen(text)) {}

    DWORD Attributes() const {
        return m_ansi ? ::GetFileAttributesA(m_ansi->c_str())
                      : ::GetFileAttributesW(m_wide.c_str());
    }
    bool SetAttributes(DWORD attributes) const {
        return m_ansi ? ::SetFileAttributesA(m_ansi->c_str(), attributes)
                      : ::SetFileAttributesW(m_wide.c_str(), attributes);
    }
    void Delete() const {
        if (m_ansi) {
            ::DeleteFileA(m_ansi->c_str());
        } else {
            ::DeleteFileW(m_wide.c_str());
        }
    }
    HANDLE Open(DWORD access, DWORD share, DWORD disposition, DWORD flags) const {
        return m_ansi ? ::CreateFileA(m_ansi->c_str(), access, share, nullptr, disposition, flags,
                                      nullptr)
                      : ::CreateFileW(m_wide.c_str(), access, share, nullptr, disposition, flags,
                                      nullptr);
    }
    // MoveFileEx takes both paths in the same form.
    bool MoveOver(const NativePath& target) const {
        constexpr DWORD kFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
        if (m_ansi && target.m_ansi) {
            return ::MoveFileExA(m_ansi->c_str(), target.m_ansi->c_str(), kFlags) != 0;
        }
        return ::MoveFileExW(win::Widen(m_utf8).c_str(), win::Widen(target.m_utf8).c_str(),
                             kFlags) != 0;
    }

private:
    std::string m_utf8;
    std::optional<std::string> m_ansi;
    std::wstring m_wide;
};

class Handle {
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    bool IsValid() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }
    bool Close() {
        const bool closed = !IsValid() || ::CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE m_handle;
};

// The temporary file: removed with the object unless it has been moved
// into place, also when the progress callback throws.
class TempFile {
public:
    TempFile(const std::string& path, HANDLE handle) : m_path(path), m_file(handle) {}
    ~TempFile() {
        if (!m_moved) {
            m_file.Close();
            m_path.SetAttributes(FILE_ATTRIBUTE_NORMAL);
            m_path.Delete();
        }
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const NativePath& Path() const { return m_path; }
    Handle& File() { return m_file; }
    void Moved() { m_moved = true; }

private:
    NativePath m_path;
    Handle m_file;
    bool m_moved = false;
};

std::string TempNameBeside(const std::string& target) {
    auto cut = target.find_last_of("\\/");
    if (cut == std::string::npos && target.size() >= 2 && target[1] == ':') {
        cut = 1;
    }
    const std::string folder = cut == std::string::npos ? std::string() : target.substr(0, cut + 1);
    const std::string name = cut == std::string::npos ? target : target.substr(cut + 1);
    return folder + "." + name + ".vgtmp" + std::to_string(std::random_device{}() % 1000000);
}

std::optional<TempFile> CreateTempBeside(const std::string& target, DWORD& error) {
    error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = TempNameBeside(target);
        HANDLE file = NativePath(name).Open(GENERIC_WRITE, 0, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN);
        if (file != INVALID_HANDLE_VALUE) {
            return std::optional<TempFile>(std::in_place, name, file);
        }
        error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

bool WriteAll(HANDLE file, const char* data, DWORD size) {
    while (size > 0) {
        DWORD put = 0;
        if (!::WriteFile(file, data, size, &put, nullptr) || put == 0) {
            return false;
        }
        data += put;
        size -= put;
    }
    return true;
}

// The attributes a copy carries over: read-only is what Windows has of the
// permission bits.
constexpr DWORD kCopiedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                    FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

} // namespace

CopyOutcome CopyFileSafely(const std::string& source, const std::string& target,
                           const CopyProgress& progress, std::string& reason) {
    auto fail = [&reason](DWORD error) {
        reason = win::ErrorText(error);
        return CopyOutcome::Failed;
    };

    const NativePath sourcePath(source);
    const DWORD sourceAttributes = sourcePath.Attributes();
    if (sourceAttributes == INVALID_FILE_ATTRIBUTES) {
        return fail(::GetLastError());
    }
    // A folder as source, or in the target's place (which the move would
    // refuse only with "Access denied"), is named as such.
    const NativePath targetPath(target);
    const DWORD oldTargetAttributes = targetPath.Attributes();
    if ((sourceAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
        (oldTargetAttributes != INVALID_FILE_ATTRIBUTES &&
         (oldTargetAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)) {
        reason = "Is a directory";
        return CopyOutcome::Failed;
    }
    Handle in(
        sourcePath.Open(GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!in.IsValid() || !::GetFileInformationByHandle(in.Get(), &info)) {
        return fail(::GetLastError());
    }

    DWORD tempError = 0;
    std::optional<TempFile> temp = CreateTempBeside(target, tempError);
    if (!temp) {
        return fail(tempError);
    }
    const std::uint64_t total =
        (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    std::uint64_t done = 0;
    static constexpr DWORD kChunk = 1 << 20;
    std::string buffer(kChunk, '\0');
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(in.Get(), buffer.data(), kChunk, &got, nullptr)) {
            return fail(::GetLastError());
        }
        if (got == 0) {
            break;
        }
        if (!WriteAll(temp->File().Get(), buffer.data(), got)) {
            return fail(::GetLastError());
        }
        done += got;
        if (progress && !progress(done, total)) {
            return CopyOutcome::Cancelled;
        }
    }
    // The copy keeps the source's time of last change, as every copy made
    // by Windows does; the data reach the disk before the move makes them
    // the target.
    ::SetFileTime(temp->File().Get(), nullptr, nullptr, &info.ftLastWriteTime);
    if (!::FlushFileBuffers(temp->File().Get()) || !temp->File().Close()) {
        return fail(::GetLastError());
    }
    const DWORD copiedAttributes = info.dwFileAttributes & kCopiedAttributes;
    if (copiedAttributes != 0 && !temp->Path().SetAttributes(copiedAttributes)) {
        return fail(::GetLastError());
    }

    // A rename replaces a read-only file on POSIX; here the attribute would
    // refuse it, so it is lifted for the move and put back if that fails.
    const DWORD targetAttributes = targetPath.Attributes();
    const bool targetReadOnly = targetAttributes != INVALID_FILE_ATTRIBUTES &&
                                (targetAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                                (targetAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (targetReadOnly) {
        targetPath.SetAttributes(targetAttributes & ~FILE_ATTRIBUTE_READONLY);
    }
    if (!temp->Path().MoveOver(targetPath)) {
        const DWORD error = ::GetLastError();
        if (targetReadOnly) {
            targetPath.SetAttributes(targetAttributes);
        }
        return fail(error);
    }
    temp->Moved();
    return CopyOutcome::Copied;
}

} // namespace platform
