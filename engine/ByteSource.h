#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace engine {

// Random-access bytes of an archive.
class ByteSource {
public:
    virtual ~ByteSource() = default;

    virtual std::uint64_t Size() const = 0;

    // Copies up to `size` bytes from `offset` into `buffer` and returns how
    // many were copied: fewer only at the end of the data, and -1 on a read
    // error (its reason in `error`).
    virtual std::int64_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) = 0;

    // True when exactly `size` bytes were read.
    bool ReadExactly(std::uint64_t offset, void* buffer, std::size_t size) {
        return ReadAt(offset, buffer, size) == static_cast<std::int64_t>(size);
    }

    // The system's reason for the last failed read.
    const std::string& Error() const { return m_error; }

protected:
    std::string m_error;
};

// An archive held in memory; the bytes must outlive the source.
class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes) : m_bytes(bytes) {}

    std::uint64_t Size() const override { return m_bytes.size(); }

    std::int64_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override {
        if (offset >= m_bytes.size() || size == 0) {
            return 0;
        }
        std::size_t count =
            std::min<std::size_t>(size, m_bytes.size() - static_cast<std::size_t>(offset));
        std::memcpy(buffer, m_bytes.data() + offset, count);
        return static_cast<std::int64_t>(count);
    }

private:
    std::string_view m_bytes;
};

// Opens the archive file at `path` for reading. Null when it cannot be
// opened, with the system's reason in `error`.
std::unique_ptr<ByteSource> OpenArchiveFile(const std::string& path, std::string& error);

} // namespace engine
