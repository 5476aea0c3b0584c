#include "platform/FileCopy.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int Get() const { return m_fd; }
    int Release() {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

std::string TempNameBeside(const std::string& target) {
    const auto slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    return folder + "." + name + ".vgtmp" + std::to_string(std::random_device{}() % 1000000);
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t put = ::write(fd, data, size);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

} // namespace

CopyOutcome CopyFileSafely(const std::string& source, const std::string& target,
                           const CopyProgress& progress, std::string& reason) {
    Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (in.Get() < 0 || ::fstat(in.Get(), &info) != 0) {
        reason = std::strerror(errno);
        return CopyOutcome::Failed;
    }
    if (S_ISDIR(info.st_mode)) {
        reason = std::strerror(EISDIR);
        return CopyOutcome::Failed;
    }

    std::string temp;
    int outFd = -1;
    for (int attempt = 0; attempt < 100 && outFd < 0; ++attempt) {
        temp = TempNameBeside(target);
        outFd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (outFd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (outFd < 0) {
        reason = std::strerror(errno);
        return CopyOutcome::Failed;
    }
    Fd out(outFd);

    auto giveUp = [&](CopyOutcome outcome, int error) {
        if (error != 0) {
            reason = std::strerror(error);
        }
        ::close(out.Release());
        ::unlink(temp.c_str());
        return outcome;
    };

    const auto total = static_cast<std::uint64_t>(info.st_size);
    std::uint64_t done = 0;
    static constexpr std::size_t kChunk = 1 << 20;
    std::string buffer(kChunk, '\0');
    for (;;) {
        const ssize_t got = ::read(in.Get(), buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return giveUp(CopyOutcome::Failed, errno);
        }
        if (got == 0) {
            break;
        }
        if (!WriteAll(out.Get(), buffer.data(), static_cast<std::size_t>(got))) {
            return giveUp(CopyOutcome::Failed, errno);
        }
        done += static_cast<std::uint64_t>(got);
        if (progress && !progress(done, total)) {
            return giveUp(CopyOutcome::Cancelled, 0);
        }
    }
    if (::fchmod(out.Get(), info.st_mode & 07777) != 0 || ::fsync(out.Get()) != 0) {
        return giveUp(CopyOutcome::Failed, errno);
    }
    if (::close(out.Release()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        reason = std::strerror(error);
        return CopyOutcome::Failed;
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        reason = std::strerror(error);
        return CopyOutcome::Failed;
    }
    return CopyOutcome::Copied;
}

} // namespace platform
