#include "platform/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace platform {

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
    // O_NONBLOCK keeps open() from waiting for a writer when the path names
    // a pipe; such files are refused below anyway.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        reason = std::strerror(errno);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        reason = S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : "Not a regular file";
        ::close(fd);
        return false;
    }
    m_handle = fd;
    m_size = static_cast<std::int64_t>(info.st_size);
    return true;
}

void InputFile::Close() {
    if (IsOpen()) {
        ::close(static_cast<int>(m_handle));
        m_handle = kClosed;
        m_size = 0;
    }
}

std::size_t InputFile::ReadAt(std::int64_t offset, char* buffer, std::size_t count) const {
    if (!IsOpen() || offset < 0) {
        return 0;
    }
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(static_cast<int>(m_handle), buffer + done, count - done,
                                    static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

} // namespace platform
