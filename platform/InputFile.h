#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// A regular file opened for reading at any 64-bit offset. The file is closed
// by Close() or the destructor, whichever comes first. Move-only.
//
// Windows opens the file sharing it with readers only, so that no other
// program writes to it while it is open. POSIX has no share modes that bind
// other programs (advisory locks bind only those that ask for them), so
// there the file may change while it is read; readers must treat every
// length and offset they find in it as untrusted.
class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Opens `path` for reading, closing any file open before. False when it
    // cannot be opened or is not a regular file (a folder, a pipe, a device);
    // `reason` then holds the system's reason. Never blocks on a pipe.
    bool Open(const std::string& path, std::string& reason);
    void Close();
    bool IsOpen() const { return m_handle != kClosed; }

    // The size of the file when it was opened; 0 while no file is open.
    std::int64_t Size() const { return m_size; }

    // Reads up to `count` bytes at `offset` into `buffer` and returns how
    // many it read: fewer than `count` only at the end of the file or on a
    // read error, 0 for a negative offset or while no file is open.
    std::size_t ReadAt(std::int64_t offset, char* buffer, std::size_t count) const;

private:
    static constexpr std::intptr_t kClosed = -1;
    std::intptr_t m_handle = kClosed;
    std::int64_t m_size = 0;
};

} // namespace platform
