#include "engine/ByteSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace engine {

namespace {

class ArchiveFile : public ByteSource {
public:
    ArchiveFile(int fd, std::uint64_t size) : m_fd(fd), m_size(size) {}
    ~ArchiveFile() override { ::close(m_fd); }
    ArchiveFile(const ArchiveFile&) = delete;
    ArchiveFile& operator=(const ArchiveFile&) = delete;

    std::uint64_t Size() const override { return m_size; }

    std::int64_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override {
        auto* out = static_cast<char*>(buffer);
        std::size_t done = 0;
        while (done < size && offset + done < m_size) {
            ssize_t count =
                ::pread(m_fd, out + done, size - done, static_cast<off_t>(offset + done));
            if (count < 0) {
                if (errno == EINTR) {
                    continue;
                }
                m_error = std::strerror(errno);
                return -1;
            }
            if (count == 0) {
                break;
            }
            done += static_cast<std::size_t>(count);
        }
        return static_cast<std::int64_t>(done);
    }

private:
    int m_fd;
    std::uint64_t m_size;
};

} // namespace

std::unique_ptr<ByteSource> OpenArchiveFile(const std::string& path, std::string& error) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : "not a regular file";
        ::close(fd);
        return nullptr;
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return std::make_unique<ArchiveFile>(fd, static_cast<std::uint64_t>(info.st_size));
}

} // namespace engine
