#include "platform/FileSystem.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {
std::string Reason(int error) {
    return std::strerror(error);
}
} // namespace

bool FileExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool ReadWholeFile(const std::string& path, std::string& contents, std::string& reason) {
    contents.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        reason = Reason(errno);
        return false;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            reason = Reason(errno);
            ::close(fd);
            contents.clear();
            return false;
        }
        if (got == 0) {
            break;
        }
        contents.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return true;
}

bool WriteWholeFile(const std::string& path, const std::string& contents, std::string& reason) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        reason = Reason(errno);
        return false;
    }
    std::size_t done = 0;
    while (done < contents.size()) {
        const ssize_t put = ::write(fd, contents.data() + done, contents.size() - done);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            reason = Reason(errno);
            ::close(fd);
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    if (::close(fd) != 0) {
        reason = Reason(errno);
        return false;
    }
    return true;
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty() || path.front() == '/') {
        return path;
    }
    std::string folder(4096, '\0');
    while (::getcwd(folder.data(), folder.size()) == nullptr) {
        if (errno != ERANGE) {
            return path;
        }
        folder.resize(folder.size() * 2);
    }
    folder.resize(std::strlen(folder.c_str()));
    return folder + (folder.ends_with('/') ? "" : "/") + path;
}

bool ChangeCurrentFolder(const std::string& path, std::string& reason) {
    if (::chdir(path.c_str()) != 0) {
        reason = Reason(errno);
        return false;
    }
    return true;
}

std::string TemporaryFolder() {
    const char* folder = std::getenv("TMPDIR");
    std::string path = folder != nullptr && *folder != '\0' ? folder : "/tmp";
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

} // namespace platform
