// The extraction folder on Windows. Every item below the folder is opened
// relative to the handle of the folder it is in (NtCreateFile with a root
// directory, as openat does on POSIX systems), never through a path: a
// folder once checked stays the folder that is used, even when something
// is renamed meanwhile or an empty folder is turned into a junction in
// place, which anyone allowed to write its attributes can do. Folders are
// opened without following reparse points and refused when they are links;
// while cached they stay open without FILE_SHARE_DELETE, together with the
// folders above them, so that none of them can be renamed or removed.
#include "engine/SystemText.h"
#include "engine/TargetFolder.h"

#include <windows.h>
#include <winternl.h>
// The Win32 macro would rename TargetFolder::CreateFile.
#undef CreateFile

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <list>
#include <random>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace engine {

namespace {

constexpr NTSTATUS kStatusObjectNameNotFound = static_cast<NTSTATUS>(0xC0000034);
constexpr NTSTATUS kStatusObjectPathNotFound = static_cast<NTSTATUS>(0xC000003A);
constexpr NTSTATUS kStatusObjectNameCollision = static_cast<NTSTATUS>(0xC0000035);
constexpr NTSTATUS kStatusObjectNameInvalid = static_cast<NTSTATUS>(0xC0000033);
constexpr NTSTATUS kStatusAccessDenied = static_cast<NTSTATUS>(0xC0000022);
constexpr NTSTATUS kStatusNotADirectory = static_cast<NTSTATUS>(0xC0000103);

constexpr ACCESS_MASK kFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;
constexpr std::size_t kCachedFolders = 64;
// Replaced files waiting for Flush; beyond this many the oldest is written
// through at once.
constexpr std::size_t kPendingFlushes = 4096;

// Seconds from 1601-01-01, where FILETIME counts from, to 1970-01-01.
constexpr std::int64_t kEpochDifference = 11644473600;
constexpr std::int64_t kTicksPerSecond = 10000000;

std::string LastError() {
    return SystemMessage(::GetLastError());
}

std::string StatusMessage(NTSTATUS status) {
    return SystemMessage(::RtlNtStatusToDosError(status));
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

std::string Join(const std::vector<std::string>& folders, std::size_t count) {
    std::string path;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) {
            path += '\\';
        }
        path += folders[i];
    }
    return path;
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

LARGE_INTEGER FileTime(std::int64_t seconds, std::uint32_t nanoseconds) {
    LARGE_INTEGER time{};
    constexpr std::int64_t kLatest = INT64_MAX / kTicksPerSecond - kEpochDifference - 1;
    if (seconds <= -kEpochDifference) {
        // FILETIME starts in 1601; 1 tick, because 0 means "leave unchanged".
        time.QuadPart = 1;
    } else if (seconds > kLatest) {
        time.QuadPart = (kLatest + kEpochDifference) * kTicksPerSecond;
    } else {
        time.QuadPart = (seconds + kEpochDifference) * kTicksPerSecond + nanoseconds / 100;
    }
    return time;
}

// Opens `name` in the folder `folder` without following a reparse point at
// it. An empty name opens the folder itself again.
NTSTATUS OpenAt(HANDLE folder, std::wstring_view name, ACCESS_MASK access, ULONG share,
                ULONG disposition, ULONG options, ULONG attributes, HANDLE& handle) {
    handle = nullptr;
    if (name.size() * sizeof(wchar_t) > 0xFFFE) {
        return kStatusObjectNameInvalid;
    }
    UNICODE_STRING text;
    text.Buffer = const_cast<wchar_t*>(name.data());
    text.Length = text.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    OBJECT_ATTRIBUTES object;
    InitializeObjectAttributes(&object, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
    IO_STATUS_BLOCK status{};
    return ::NtCreateFile(
        &handle, access | SYNCHRONIZE, &object, &status, nullptr, attributes, share, disposition,
        options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
}

// How the item open as `handle` leads elsewhere (" is a junction"), or
// empty when it is a plain item. Reparse points that do not name another
// place, such as those of cloud storage placeholders, are plain.
std::string LinkDescription(HANDLE handle) {
    FILE_ATTRIBUTE_TAG_INFO info{};
    if (!::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &info, sizeof(info))) {
        return " cannot be examined: " + LastError();
    }
    if ((info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return {};
    }
    if (info.ReparseTag == IO_REPARSE_TAG_SYMLINK) {
        return " is a symbolic link";
    }
    if (info.ReparseTag == IO_REPARSE_TAG_MOUNT_POINT) {
        return " is a junction";
    }
    if (info.ReparseTag == 0 || IsReparseTagNameSurrogate(info.ReparseTag)) {
        return " is a link";
    }
    return {};
}

// Disposition "delete": the file goes when its last handle is closed, also
// when the process is killed.
bool MarkForDeletion(HANDLE file, bool remove) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = remove ? TRUE : FALSE;
    return ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                        sizeof(disposition)) != 0;
}

// Renames the open file to `name` in `folder`, by handle. The Win32 call
// is not used for this: Wine reads its name as a path from the current
// folder.
NTSTATUS RenameInto(HANDLE file, HANDLE folder, const std::wstring& name, bool replace) {
    std::size_t nameBytes = name.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFORMATION) + nameBytes);
    auto* rename = reinterpret_cast<FILE_RENAME_INFORMATION*>(buffer.data());
    rename->ReplaceIfExists = replace ? TRUE : FALSE;
    rename->RootDirectory = folder;
    rename->FileNameLength = static_cast<ULONG>(nameBytes);
    std::copy(name.begin(), name.end(), rename->FileName);
    IO_STATUS_BLOCK status{};
    return ::NtSetInformationFile(file, &status, rename, static_cast<ULONG>(buffer.size()),
                                  FileRenameInformation);
}

// Unique names for files being written.
std::wstring TemporaryName() {
    static std::atomic<unsigned> counter{0};
    thread_local std::mt19937 random{std::random_device{}()};
    return L".UnzDll-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(counter++) + L"-" + std::to_wstring(random()) + L".tmp";
}

// Handles of replaced files, kept open until Flush writes them through.
// Windows does not replace a file that is open, so a file replaced twice in
// one batch needs them written through and closed first.
class PendingFlushes {
public:
    PendingFlushes() = default;
    ~PendingFlushes() {
        for (HANDLE file : m_files) {
            ::CloseHandle(file);
        }
    }
    PendingFlushes(const PendingFlushes&) = delete;
    PendingFlushes& operator=(const PendingFlushes&) = delete;

    void Add(HANDLE file) {
        if (m_files.size() >= kPendingFlushes) {
            ::FlushFileBuffers(m_files.front());
            ::CloseHandle(m_files.front());
            m_files.pop_front();
        }
        m_files.push_back(file);
    }

    bool Empty() const { return m_files.empty(); }

    bool FlushAll(std::string& error) {
        bool flushed = true;
        for (HANDLE file : m_files) {
            if (!::FlushFileBuffers(file)) {
                error = LastError();
                flushed = false;
            }
            ::CloseHandle(file);
        }
        m_files.clear();
        return flushed;
    }

private:
    std::list<HANDLE> m_files;
};

class WinOutputFile : public OutputFile {
public:
    WinOutputFile(HANDLE folder, HANDLE file, std::shared_ptr<PendingFlushes> pending)
        : m_folder(folder), m_file(file), m_pending(std::move(pending)) {}

    ~WinOutputFile() override {
        if (m_file != nullptr) {
            MarkForDeletion(m_file, true);
            ::CloseHandle(m_file);
        }
        ::CloseHandle(m_folder);
    }
    WinOutputFile(const WinOutputFile&) = delete;
    WinOutputFile& operator=(const WinOutputFile&) = delete;

    bool Write(const void* data, std::size_t size, std::string& error) override {
        const auto* bytes = static_cast<const char*>(data);
        while (size > 0) {
            auto step = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
            DWORD written = 0;
            if (!::WriteFile(m_file, bytes, step, &written, nullptr)) {
                error = LastError();
                return false;
            }
            bytes += written;
            size -= written;
        }
        return true;
    }

    bool Commit(const std::string& name, std::int64_t seconds, std::uint32_t nanoseconds,
                bool replace, std::string& error) override {
        // The attributes of a new file, without the hidden one of the
        // temporary name.
        FILE_BASIC_INFO basic{};
        basic.LastWriteTime = basic.LastAccessTime = FileTime(seconds, nanoseconds);
        basic.FileAttributes = FILE_ATTRIBUTE_ARCHIVE;
        if (!::SetFileInformationByHandle(m_file, FileBasicInfo, &basic, sizeof(basic)) ||
            !MarkForDeletion(m_file, false)) {
            error = LastError();
            return false;
        }
        std::wstring wideName = Widen(name);
        NTSTATUS status = RenameInto(m_file, m_folder, wideName, replace);
        if (status == kStatusAccessDenied && replace && !m_pending->Empty()) {
            std::string ignored;
            m_pending->FlushAll(ignored);
            status = RenameInto(m_file, m_folder, wideName, replace);
        }
        if (!NT_SUCCESS(status)) {
            error = StatusMessage(status);
            MarkForDeletion(m_file, true);
            return false;
        }
        HANDLE file = m_file;
        m_file = nullptr;
        if (replace) {
            m_pending->Add(file);
        } else {
            ::CloseHandle(file);
        }
        return true;
    }

private:
    HANDLE m_folder;
    HANDLE m_file;
    std::shared_ptr<PendingFlushes> m_pending;
};

class WinTargetFolder : public TargetFolder {
public:
    explicit WinTargetFolder(HANDLE root)
        : m_root(root), m_pending(std::make_shared<PendingFlushes>()) {}

    ~WinTargetFolder() override {
        for (auto& [path, handle] : m_cache) {
            ::CloseHandle(handle);
        }
        ::CloseHandle(m_root);
    }
    WinTargetFolder(const WinTargetFolder&) = delete;
    WinTargetFolder& operator=(const WinTargetFolder&) = delete;

    bool Inspect(const std::vector<std::string>& folders, const std::string& name, ItemState& state,
                 std::string& error) override {
        state = ItemState{};
        bool missing = false;
        HANDLE folder = Enter(folders, false, missing, error);
        if (folder == nullptr) {
            return missing;
        }
        HANDLE item = nullptr;
        NTSTATUS status =
            OpenAt(folder, Widen(name), FILE_READ_ATTRIBUTES,
                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN, 0, 0, item);
        if (status == kStatusObjectNameNotFound || status == kStatusObjectPathNotFound) {
            return true;
        }
        if (!NT_SUCCESS(status)) {
            error = StatusMessage(status);
            return false;
        }
        FILE_BASIC_INFO info{};
        bool known = ::GetFileInformationByHandleEx(item, FileBasicInfo, &info, sizeof(info)) != 0;
        if (!known) {
            error = LastError();
        }
        ::CloseHandle(item);
        if (!known) {
            return false;
        }
        bool plainFolder = (info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                           (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
        state.kind = plainFolder ? ItemKind::Folder : ItemKind::Other;
        std::int64_t ticks = info.LastWriteTime.QuadPart;
        state.mtimeSeconds = ticks / kTicksPerSecond - kEpochDifference;
        state.mtimeNanoseconds = static_cast<std::uint32_t>(ticks % kTicksPerSecond) * 100;
        return true;
    }

    bool MakeFolders(const std::vector<std::string>& folders, unsigned,
                     std::string& error) override {
        bool missing = false;
        return Enter(folders, true, missing, error) != nullptr;
    }

    std::unique_ptr<OutputFile> CreateFile(const std::vector<std::string>& folders, unsigned,
                                           std::string& error) override {
        bool missing = false;
        HANDLE folder = Enter(folders, true, missing, error);
        if (folder == nullptr) {
            return nullptr;
        }
        // The file keeps its own handle of the folder, which may leave the
        // cache before the file is committed.
        HANDLE own = nullptr;
        if (!::DuplicateHandle(::GetCurrentProcess(), folder, ::GetCurrentProcess(), &own, 0, FALSE,
                               DUPLICATE_SAME_ACCESS)) {
            error = LastError();
            return nullptr;
        }
        NTSTATUS status = kStatusObjectNameCollision;
        for (int attempt = 0; attempt < 100 && status == kStatusObjectNameCollision; ++attempt) {
            HANDLE file = nullptr;
            // Others may read the file and may replace it once it has its
            // name, while its handle waits for Flush.
            status = OpenAt(own, TemporaryName(), FILE_GENERIC_WRITE | DELETE,
                            FILE_SHARE_READ | FILE_SHARE_DELETE, FILE_CREATE,
                            FILE_NON_DIRECTORY_FILE, FILE_ATTRIBUTE_HIDDEN, file);
            if (NT_SUCCESS(status)) {
                MarkForDeletion(file, true);
                return std::make_unique<WinOutputFile>(own, file, m_pending);
            }
        }
        error = StatusMessage(status);
        ::CloseHandle(own);
        return nullptr;
    }

    bool Flush(std::string& error) override { return m_pending->FlushAll(error); }

    bool SetFolderTime(const std::vector<std::string>& folders, std::int64_t seconds,
                       std::uint32_t nanoseconds, std::string& error) override {
        bool missing = false;
        HANDLE folder = Enter(folders, false, missing, error);
        if (folder == nullptr) {
            return false;
        }
        HANDLE writable = nullptr;
        NTSTATUS status = OpenAt(folder, {}, FILE_WRITE_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN,
                                 FILE_DIRECTORY_FILE, 0, writable);
        if (!NT_SUCCESS(status)) {
            error = StatusMessage(status);
            return false;
        }
        LARGE_INTEGER time = FileTime(seconds, nanoseconds);
        FILETIME fileTime{static_cast<DWORD>(time.QuadPart),
                          static_cast<DWORD>(time.QuadPart >> 32)};
        bool set = ::SetFileTime(writable, nullptr, &fileTime, &fileTime) != 0;
        if (!set) {
            error = LastError();
        }
        ::CloseHandle(writable);
        return set;
    }

private:
    // The handle of `folders` below the root, from the cache or opened
    // folder by folder relative to the one above. With `create`, missing
    // folders are made. Null on failure; `missing` tells a folder that does
    // not exist.
    HANDLE Enter(const std::vector<std::string>& folders, bool create, bool& missing,
                 std::string& error) {
        std::size_t depth = folders.size();
        HANDLE handle = m_root;
        std::size_t known = 0;
        for (std::size_t count = depth; count > 0; --count) {
            auto cached = m_cache.find(Join(folders, count));
            if (cached != m_cache.end()) {
                handle = cached->second;
                known = count;
                break;
            }
        }
        KeepWithAncestors(folders, known);
        for (std::size_t i = known; i < depth; ++i) {
            std::wstring name = Widen(folders[i]);
            HANDLE next = nullptr;
            NTSTATUS status =
                OpenAt(handle, name, kFolderAccess, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       create ? FILE_OPEN_IF : FILE_OPEN, FILE_DIRECTORY_FILE, 0, next);
            std::string path = Join(folders, i + 1);
            if (!NT_SUCCESS(status)) {
                missing =
                    status == kStatusObjectNameNotFound || status == kStatusObjectPathNotFound;
                if (status == kStatusNotADirectory) {
                    error = Quoted(path) + NotAFolder(handle, name);
                } else {
                    error = (create ? "cannot create folder " : "cannot open folder ") +
                            Quoted(path) + ": " + StatusMessage(status);
                }
                return nullptr;
            }
            std::string link = LinkDescription(next);
            if (!link.empty()) {
                ::CloseHandle(next);
                error = Quoted(path) + link;
                return nullptr;
            }
            handle = Remember(path, next);
        }
        KeepWithAncestors(folders, depth);
        return handle;
    }

    // What stands at `name` where a folder was expected.
    static std::string NotAFolder(HANDLE folder, const std::wstring& name) {
        HANDLE item = nullptr;
        std::string link;
        if (NT_SUCCESS(OpenAt(folder, name, FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN, 0,
                              0, item))) {
            link = LinkDescription(item);
            ::CloseHandle(item);
        }
        return link.empty() ? " is not a folder" : link;
    }

    HANDLE Remember(const std::string& path, HANDLE handle) {
        if (m_cache.size() >= kCachedFolders) {
            const std::string& oldest = m_order.back();
            ::CloseHandle(m_cache[oldest]);
            m_cache.erase(oldest);
            m_order.pop_back();
        }
        m_cache.emplace(path, handle);
        m_order.push_front(path);
        return handle;
    }

    // Makes the first `depth` folders of `folders` the most recently used,
    // each before the one below it, so that the cache gives up a folder
    // only after every cached folder below it.
    void KeepWithAncestors(const std::vector<std::string>& folders, std::size_t depth) {
        for (std::size_t count = depth; count > 0; --count) {
            std::string path = Join(folders, count);
            for (auto it = m_order.begin(); it != m_order.end(); ++it) {
                if (*it == path) {
                    m_order.splice(m_order.begin(), m_order, it);
                    break;
                }
            }
        }
    }

    HANDLE m_root;
    std::unordered_map<std::string, HANDLE> m_cache;
    std::list<std::string> m_order;
    std::shared_ptr<PendingFlushes> m_pending;
};

} // namespace

std::unique_ptr<TargetFolder> OpenTargetFolder(const std::string& path, std::string& error) {
    std::wstring folder = LongPath(Widen(path.empty() ? std::string(".") : path));
    // The folder itself may be reached through links: the caller chose it.
    // Without FILE_SHARE_DELETE it cannot be renamed or removed meanwhile.
    HANDLE root = ::CreateFileW(folder.c_str(), kFolderAccess | SYNCHRONIZE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (root == INVALID_HANDLE_VALUE) {
        error = LastError();
        return nullptr;
    }
    FILE_BASIC_INFO info{};
    if (!::GetFileInformationByHandleEx(root, FileBasicInfo, &info, sizeof(info)) ||
        (info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        error = "it is not a folder";
        ::CloseHandle(root);
        return nullptr;
    }
    return std::make_unique<WinTargetFolder>(root);
}

} // namespace engine
