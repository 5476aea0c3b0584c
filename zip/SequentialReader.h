#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {
class InputFile;
}

namespace zip {

// Reads a file front to back through a buffer of `chunk` bytes (more when
// one request needs more), so that a central directory of any number of
// entries costs a few system calls. Never reads beyond the end of the file.
class SequentialReader {
public:
    // Reads `file` from `position` on; the file must outlive the reader.
    SequentialReader(const platform::InputFile& file, std::int64_t position, std::size_t chunk);

    // The next `count` bytes, valid until the next call; false when the
    // file ends before.
    bool Next(std::size_t count, std::string_view& bytes);

    // Goes on from `position` of the file, which may have been reopened.
    void Restart(std::int64_t position);

    // How many bytes the file holds from the current position on.
    std::int64_t Remaining() const;

private:
    bool Fill(std::size_t count);

    const platform::InputFile& m_file;
    std::int64_t m_next; // file offset of the byte after the buffer
    std::size_t m_chunk;
    std::string m_buffer;
    std::size_t m_used = 0;
};

} // namespace zip
