#include "zip/SequentialReader.h"

#include <algorithm>

#include "platform/InputFile.h"

namespace zip {

SequentialReader::SequentialReader(const platform::InputFile& file, std::int64_t position,
                                   std::size_t chunk)
    : m_file(file), m_next(position), m_chunk(chunk) {}

bool SequentialReader::Next(std::size_t count, std::string_view& bytes) {
    if (m_buffer.size() - m_used < count && !Fill(count)) {
        return false;
    }
    bytes = std::string_view(m_buffer).substr(m_used, count);
    m_used += count;
    return true;
}

void SequentialReader::Restart(std::int64_t position) {
    m_next = position;
    m_buffer.clear();
    m_used = 0;
}

std::int64_t SequentialReader::Remaining() const {
    return static_cast<std::int64_t>(m_buffer.size() - m_used) +
           std::max<std::int64_t>(0, m_file.Size() - m_next);
}

bool SequentialReader::Fill(std::size_t count) {
    m_buffer.erase(0, m_used);
    m_used = 0;
    const std::size_t missing = count - m_buffer.size();
    const auto left = static_cast<std::uint64_t>(std::max<std::int64_t>(0, m_file.Size() - m_next));
    const std::size_t wanted =
        std::max(missing, static_cast<std::size_t>(std::min<std::uint64_t>(m_chunk, left)));
    const std::size_t kept = m_buffer.size();
    m_buffer.resize(kept + wanted);
    const std::size_t got = m_file.ReadAt(m_next, m_buffer.data() + kept, wanted);
    m_buffer.resize(kept + got);
    m_next += static_cast<std::int64_t>(got);
    return m_buffer.size() >= count;
}

} // namespace zip
