#include "engine/TargetFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <list>
#include <random>
#include <unordered_map>

namespace engine {

namespace {

constexpr std::size_t kCachedFolders = 64;

std::string Reason(int error) {
    return error == ELOOP ? "a symbolic link stands in the way" : std::strerror(error);
}

std::string Join(const std::vector<std::string>& folders, std::size_t count) {
    std::string path;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) {
            path += '/';
        }
        path += folders[i];
    }
    return path;
}

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    quoted += text;
    quoted += '"';
    return quoted;
}

// Unique names for the moments a file needs a visible temporary name.
std::string TemporaryName() {
    static std::atomic<unsigned> counter{0};
    thread_local std::mt19937 random{std::random_device{}()};
    char name[48];
    std::snprintf(name, sizeof(name), ".UnzDll-%d-%u-%08x.tmp", static_cast<int>(::getpid()),
                  counter++, static_cast<unsigned>(random()));
    return name;
}

class PosixOutputFile : public OutputFile {
public:
    // `anonymous`: the file was made with O_TMPFILE and has no name yet;
    // otherwise it lives under `temporaryName`.
    PosixOutputFile(int folder, int fd, bool anonymous, std::string temporaryName)
        : m_folder(folder), m_fd(fd), m_anonymous(anonymous),
          m_temporaryName(std::move(temporaryName)) {}

    ~PosixOutputFile() override {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        if (!m_temporaryName.empty()) {
            ::unlinkat(m_folder, m_temporaryName.c_str(), 0);
        }
        ::close(m_folder);
    }
    PosixOutputFile(const PosixOutputFile&) = delete;
    PosixOutputFile& operator=(const PosixOutputFile&) = delete;

    bool Write(const void* data, std::size_t size, std::string& error) override {
        const auto* bytes = static_cast<const char*>(data);
        while (size > 0) {
            ssize_t written = ::write(m_fd, bytes, size);
            if (written < 0) {
                if (errno == EINTR) {
                    continue;
                }
                error = std::strerror(errno);
                return false;
            }
            bytes += written;
            size -= static_cast<std::size_t>(written);
        }
        return true;
    }

    bool Commit(const std::string& name, std::int64_t seconds, std::uint32_t nanoseconds,
                bool replace, std::string& error) override {
        struct timespec times[2];
        times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(seconds);
        times[0].tv_nsec = times[1].tv_nsec = static_cast<long>(nanoseconds);
        if (::futimens(m_fd, times) != 0) {
            error = std::strerror(errno);
            return false;
        }
        if (m_anonymous && !replace) {
            // Gives the unnamed file its final name directly; fails when the
            // name exists, without touching what is there.
            if (::linkat(AT_FDCWD, ProcPath().c_str(), m_folder, name.c_str(), AT_SYMLINK_FOLLOW) !=
                0) {
                error = Reason(errno);
                return false;
            }
            return Close(error);
        }
        if (m_anonymous) {
            if (!LinkTemporary(error)) {
                return false;
            }
        }
        int result = replace ? ::renameat(m_folder, m_temporaryName.c_str(), m_folder, name.c_str())
                             : ::renameat2(m_folder, m_temporaryName.c_str(), m_folder,
                                           name.c_str(), RENAME_NOREPLACE);
        if (result != 0 && !replace && errno == EINVAL) {
            // File systems without RENAME_NOREPLACE: a hard link fails on an
            // existing name just the same.
            result = ::linkat(m_folder, m_temporaryName.c_str(), m_folder, name.c_str(), 0);
        }
        if (result != 0) {
            error = Reason(errno);
            return false;
        }
        m_temporaryName.clear();
        return Close(error);
    }

private:
    std::string ProcPath() const { return "/proc/self/fd/" + std::to_string(m_fd); }

    bool LinkTemporary(std::string& error) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string candidate = TemporaryName();
            if (::linkat(AT_FDCWD, ProcPath().c_str(), m_folder, candidate.c_str(),
                         AT_SYMLINK_FOLLOW) == 0) {
                m_temporaryName = candidate;
                return true;
            }
            if (errno != EEXIST) {
                break;
            }
        }
        error = Reason(errno);
        return false;
    }

    bool Close(std::string& error) {
        int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0 && errno != EINTR) {
            error = std::strerror(errno);
            return false;
        }
        return true;
    }

    int m_folder;
    int m_fd;
    bool m_anonymous;
    std::string m_temporaryName;
};

class PosixTargetFolder : public TargetFolder {
public:
    PosixTargetFolder(int root, bool anonymousFiles)
        : m_root(root), m_anonymousFiles(anonymousFiles) {}

    ~PosixTargetFolder() override {
        for (auto& [path, fd] : m_cache) {
            ::close(fd);
        }
        ::close(m_root);
    }
    PosixTargetFolder(const PosixTargetFolder&) = delete;
    PosixTargetFolder& operator=(const PosixTargetFolder&) = delete;

    bool Inspect(const std::vector<std::string>& folders, const std::string& name, ItemState& state,
                 std::string& error) override {
        state = ItemState{};
        bool missing = false;
        int folder = Enter(folders, false, 0, missing, error);
        if (folder < 0) {
            return missing;
        }
        struct stat info {};
        if (::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT) {
                return true;
            }
            error = std::strerror(errno);
            return false;
        }
        state.kind = S_ISDIR(info.st_mode) ? ItemKind::Folder : ItemKind::Other;
        state.mtimeSeconds = info.st_mtim.tv_sec;
        state.mtimeNanoseconds = static_cast<std::uint32_t>(info.st_mtim.tv_nsec);
        return true;
    }

    bool MakeFolders(const std::vector<std::string>& folders, unsigned lastMode,
                     std::string& error) override {
        bool missing = false;
        return Enter(folders, true, lastMode, missing, error) >= 0;
    }

    std::unique_ptr<OutputFile> CreateFile(const std::vector<std::string>& folders, unsigned mode,
                                           std::string& error) override {
        bool missing = false;
        int folder = Enter(folders, true, 0777, missing, error);
        if (folder < 0) {
            return nullptr;
        }
        int own = ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
        if (own < 0) {
            error = std::strerror(errno);
            return nullptr;
        }
        if (m_anonymousFiles) {
            int fd = ::openat(own, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
            if (fd >= 0) {
                return std::make_unique<PosixOutputFile>(own, fd, true, std::string());
            }
            if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
                error = std::strerror(errno);
                ::close(own);
                return nullptr;
            }
        }
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string name = TemporaryName();
            int fd = ::openat(own, name.c_str(),
                              O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, mode);
            if (fd >= 0) {
                return std::make_unique<PosixOutputFile>(own, fd, false, name);
            }
            if (errno != EEXIST) {
                break;
            }
        }
        error = std::strerror(errno);
        ::close(own);
        return nullptr;
    }

    bool Flush(std::string& error) override {
        if (::syncfs(m_root) != 0) {
            error = std::strerror(errno);
            return false;
        }
        return true;
    }

    bool SetFolderTime(const std::vector<std::string>& folders, std::int64_t seconds,
                       std::uint32_t nanoseconds, std::string& error) override {
        bool missing = false;
        int folder = Enter(folders, false, 0, missing, error);
        if (folder < 0) {
            return false;
        }
        struct timespec times[2];
        times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(seconds);
        times[0].tv_nsec = times[1].tv_nsec = static_cast<long>(nanoseconds);
        if (::futimens(folder, times) != 0) {
            error = std::strerror(errno);
            return false;
        }
        return true;
    }

private:
    // The descriptor of `folders` below the root, from the cache or opened
    // component by component with O_NOFOLLOW. With `create`, missing folders
    // are made. -1 on failure; `missing` tells a folder that does not exist.
    int Enter(const std::vector<std::string>& folders, bool create, unsigned lastMode,
              bool& missing, std::string& error) {
        std::size_t depth = folders.size();
        int fd = m_root;
        std::size_t known = 0;
        for (std::size_t count = depth; count > 0; --count) {
            auto cached = m_cache.find(Join(folders, count));
            if (cached != m_cache.end()) {
                fd = cached->second;
                known = count;
                Touch(cached->first);
                break;
            }
        }
        for (std::size_t i = known; i < depth; ++i) {
            const std::string& name = folders[i];
            int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (next < 0 && errno == ENOENT && create) {
                if (::mkdirat(fd, name.c_str(), i + 1 == depth ? lastMode : 0777) != 0 &&
                    errno != EEXIST) {
                    error = "cannot create folder " + Quoted(Join(folders, i + 1)) + ": " +
                            std::strerror(errno);
                    return -1;
                }
                next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            }
            if (next < 0) {
                missing = errno == ENOENT;
                int reason = errno;
                struct stat info {};
                if ((reason == ENOTDIR || reason == ELOOP) &&
                    ::fstatat(fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
                    error = Quoted(Join(folders, i + 1));
                    error += S_ISLNK(info.st_mode) ? " is a symbolic link" : " is not a folder";
                } else {
                    error = "cannot open folder " + Quoted(Join(folders, i + 1)) + ": " +
                            Reason(reason);
                }
                return -1;
            }
            fd = Remember(Join(folders, i + 1), next);
        }
        return fd;
    }

    int Remember(const std::string& path, int fd) {
        if (m_cache.size() >= kCachedFolders) {
            const std::string& oldest = m_order.back();
            ::close(m_cache[oldest]);
            m_cache.erase(oldest);
            m_order.pop_back();
        }
        m_cache.emplace(path, fd);
        m_order.push_front(path);
        return fd;
    }

    void Touch(const std::string& path) {
        if (!m_order.empty() && m_order.front() == path) {
            return;
        }
        for (auto it = m_order.begin(); it != m_order.end(); ++it) {
            if (*it == path) {
                m_order.splice(m_order.begin(), m_order, it);
                return;
            }
        }
    }

    int m_root;
    bool m_anonymousFiles;
    std::unordered_map<std::string, int> m_cache;
    std::list<std::string> m_order;
};

} // namespace

std::unique_ptr<TargetFolder> OpenTargetFolder(const std::string& path, std::string& error) {
    std::string folder = path.empty() ? "." : path;
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) {
        folder.pop_back();
    }
    int root = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root < 0) {
        error = std::strerror(errno);
        return nullptr;
    }
    // Unnamed files leave nothing behind even when the process is killed,
    // but they need /proc to be given a name.
    bool anonymousFiles = ::access("/proc/self/fd", X_OK) == 0;
    return std::make_unique<PosixTargetFolder>(root, anonymousFiles);
}

} // namespace engine
