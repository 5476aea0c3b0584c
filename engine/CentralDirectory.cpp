#include "engine/CentralDirectory.h"

#include <algorithm>
#include <ctime>
#include <numeric>

#include "engine/Crc32.h"
#include "zipformat/ZipFormat.h"

namespace engine {

using namespace zipformat;

namespace {

constexpr std::size_t kReadWindow = 1 << 20;
constexpr std::size_t kMaxNameBytes = 16u << 20;
// 100-nanosecond steps between 1601-01-01 (Windows file times) and 1970-01-01.
constexpr std::uint64_t kFileTimeEpochShift = 116444736000000000ull;

// Reads a region of the source front to back through a window, so a large
// directory is never held twice.
class SequentialReader {
public:
    SequentialReader(ByteSource& source, std::uint64_t start, std::uint64_t end)
        : m_source(source), m_position(start), m_end(end) {}

    // Makes `size` bytes at the current position available; false when the
    // region or the file ends first.
    bool Need(std::size_t size) {
        if (m_buffer.size() - m_used >= size) {
            return true;
        }
        if (m_end - m_position < size - (m_buffer.size() - m_used)) {
            return false;
        }
        m_buffer.erase(0, m_used);
        m_used = 0;
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(
            std::max(kReadWindow, size) - m_buffer.size(), m_end - m_position));
        std::size_t kept = m_buffer.size();
        m_buffer.resize(kept + want);
        std::int64_t got = m_source.ReadAt(m_position, m_buffer.data() + kept, want);
        if (got < 0) {
            got = 0;
        }
        m_buffer.resize(kept + static_cast<std::size_t>(got));
        m_position += static_cast<std::uint64_t>(got);
        return m_buffer.size() >= size;
    }

    const unsigned char* Data() const {
        return reinterpret_cast<const unsigned char*>(m_buffer.data()) + m_used;
    }
    void Skip(std::size_t size) { m_used += size; }

private:
    ByteSource& m_source;
    std::uint64_t m_position;
    std::uint64_t m_end;
    std::string m_buffer;
    std::size_t m_used = 0;
};

} // namespace

std::int64_t DosTimeToUnix(std::uint16_t dosDate, std::uint16_t dosTime) {
    std::tm local{};
    local.tm_year = 80 + (dosDate >> 9);
    local.tm_mon = std::max(1, (dosDate >> 5) & 0x0f) - 1;
    local.tm_mday = std::max(1, dosDate & 0x1f);
    local.tm_hour = dosTime >> 11;
    local.tm_min = (dosTime >> 5) & 0x3f;
    local.tm_sec = (dosTime & 0x1f) * 2;
    local.tm_isdst = -1;
    std::time_t seconds = std::mktime(&local);
    return seconds == static_cast<std::time_t>(-1) ? 315532800 : static_cast<std::int64_t>(seconds);
}

void CentralDirectory::ParseExtra(Entry& entry, const unsigned char* extra, std::size_t size,
                                  std::string_view name) {
    bool needUncompressed = entry.uncompressedSize == 0xffffffff;
    bool needCompressed = entry.compressedSize == 0xffffffff;
    bool needOffset = entry.localOffset == 0xffffffff;
    std::size_t at = 0;
    while (size - at >= 4) {
        std::uint16_t tag = Read16(extra + at);
        std::uint16_t length = Read16(extra + at + 2);
        const unsigned char* data = extra + at + 4;
        if (length > size - at - 4) {
            break;
        }
        at += 4 + std::size_t{length};
        if (tag == kExtraZip64) {
            // Only the values saturated in the fixed header are present,
            // in this order.
            std::size_t used = 0;
            auto take = [&](bool needed, std::uint64_t& value) {
                if (needed && length - used >= 8) {
                    value = Read64(data + used);
                    used += 8;
                    return true;
                }
                return !needed;
            };
            bool complete = take(needUncompressed, entry.uncompressedSize) &&
                            take(needCompressed, entry.compressedSize) &&
                            take(needOffset, entry.localOffset);
            needUncompressed = needCompressed = needOffset = !complete;
        } else if (tag == kExtraTimestamp && length >= 5 && (data[0] & 1) != 0) {
            entry.mtimeSeconds = static_cast<std::int32_t>(Read32(data + 1));
            entry.mtimeNanoseconds = 0;
            entry.hasExactTime = true;
        } else if (tag == kExtraNtfs && length >= 32 && !entry.hasExactTime) {
            std::size_t inner = 4;
            while (length - inner >= 4) {
                std::uint16_t innerTag = Read16(data + inner);
                std::uint16_t innerLength = Read16(data + inner + 2);
                if (innerLength > length - inner - 4) {
                    break;
                }
                if (innerTag == 1 && innerLength >= 24) {
                    std::uint64_t fileTime = Read64(data + inner + 4);
                    if (fileTime >= kFileTimeEpochShift) {
                        fileTime -= kFileTimeEpochShift;
                        entry.mtimeSeconds = static_cast<std::int64_t>(fileTime / 10000000);
                        entry.mtimeNanoseconds =
                            static_cast<std::uint32_t>(fileTime % 10000000) * 100;
                        entry.hasExactTime = true;
                    }
                    break;
                }
                inner += 4 + std::size_t{innerLength};
            }
        } else if (tag == kExtraUnicodePath && length > 5 && data[0] == 1 &&
                   Read32(data + 1) == Crc32(0, name.data(), name.size()) &&
                   m_names.size() <= kMaxNameBytes) {
            entry.unicodeNameOffset = static_cast<std::uint32_t>(m_names.size());
            entry.unicodeNameLength = static_cast<std::uint16_t>(length - 5);
            m_names.append(reinterpret_cast<const char*>(data + 5), length - 5);
        } else if (tag == kExtraAes && length >= 7 && data[2] == 'A' && data[3] == 'E') {
            entry.aesVersion = Read16(data);
            entry.aesStrength = data[4];
            entry.aesMethod = Read16(data + 5);
        }
    }
    if (needUncompressed || needCompressed || needOffset) {
        entry.damagedHeader = true;
    }
}

bool CentralDirectory::Read(ByteSource& source, const ArchiveLayout& layout, std::string& error) {
    m_entries.clear();
    m_names.clear();
    if (layout.entryCount > kMaxEntries) {
        error = "the archive has " + std::to_string(layout.entryCount) + " entries, more than " +
                std::to_string(kMaxEntries);
        return false;
    }
    m_entries.reserve(static_cast<std::size_t>(layout.entryCount));
    SequentialReader reader(source, layout.centralStart, layout.centralStart + layout.centralSize);
    for (std::uint64_t i = 0; i < layout.entryCount; ++i) {
        if (!reader.Need(kCentralHeaderSize) || Read32(reader.Data()) != kCentralHeaderSignature) {
            error = "central header " + std::to_string(i + 1) + " is missing";
            return false;
        }
        const unsigned char* h = reader.Data();
        std::size_t nameLength = Read16(h + 28);
        std::size_t extraLength = Read16(h + 30);
        std::size_t commentLength = Read16(h + 32);
        if (!reader.Need(kCentralHeaderSize + nameLength + extraLength + commentLength)) {
            error = "central header " + std::to_string(i + 1) + " is cut short";
            return false;
        }
        if (m_names.size() + 2 * nameLength > kMaxNameBytes) {
            error = "the entry names of the central directory are too long";
            return false;
        }
        h = reader.Data();
        Entry entry;
        entry.versionMadeBy = Read16(h + 4);
        entry.flags = Read16(h + 8);
        entry.method = Read16(h + 10);
        entry.dosTime = Read16(h + 12);
        entry.dosDate = Read16(h + 14);
        entry.crc = Read32(h + 16);
        entry.compressedSize = Read32(h + 20);
        entry.uncompressedSize = Read32(h + 24);
        entry.externalAttributes = Read32(h + 38);
        entry.localOffset = Read32(h + 42);
        entry.nameOffset = static_cast<std::uint32_t>(m_names.size());
        entry.nameLength = static_cast<std::uint16_t>(nameLength);
        std::string_view name(reinterpret_cast<const char*>(h + kCentralHeaderSize), nameLength);
        m_names.append(name);
        ParseExtra(entry, h + kCentralHeaderSize + nameLength, extraLength, name);
        if (!entry.hasExactTime) {
            entry.mtimeSeconds = DosTimeToUnix(entry.dosDate, entry.dosTime);
        }
        std::int64_t shifted =
            static_cast<std::int64_t>(std::min<std::uint64_t>(entry.localOffset, 1ull << 62)) +
            layout.offsetShift;
        if (shifted < 0 || static_cast<std::uint64_t>(shifted) >= layout.centralStart) {
            entry.damagedHeader = true;
            shifted = static_cast<std::int64_t>(layout.centralStart);
        }
        entry.localOffset = static_cast<std::uint64_t>(shifted);
        m_entries.push_back(entry);
        reader.Skip(kCentralHeaderSize + nameLength + extraLength + commentLength);
    }
    ComputeLimits(layout.centralStart);
    return true;
}

void CentralDirectory::ComputeLimits(std::uint64_t centralStart) {
    std::vector<std::uint32_t> order(m_entries.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [this](std::uint32_t a, std::uint32_t b) {
        return m_entries[a].localOffset < m_entries[b].localOffset;
    });
    m_dataLimits.assign(m_entries.size(), centralStart);
    m_sharedOffsets.assign(m_entries.size(), false);
    std::uint64_t limit = centralStart;
    for (std::size_t i = order.size(); i-- > 0;) {
        std::uint64_t offset = m_entries[order[i]].localOffset;
        bool sameAsNext = i + 1 < order.size() && m_entries[order[i + 1]].localOffset == offset;
        bool sameAsPrevious = i > 0 && m_entries[order[i - 1]].localOffset == offset;
        m_sharedOffsets[order[i]] = sameAsNext || sameAsPrevious;
        if (!sameAsNext && i + 1 < order.size()) {
            limit = m_entries[order[i + 1]].localOffset;
        }
        m_dataLimits[order[i]] = std::min(limit, centralStart);
    }
}

} // namespace engine
