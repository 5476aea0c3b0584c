#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ByteSource.h"
#include "engine/EndRecord.h"

namespace engine {

// One entry of the central directory, with its zip64 values resolved.
struct Entry {
    std::uint64_t localOffset = 0; // file position of the local header (shift applied)
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    std::uint32_t crc = 0;
    std::uint32_t externalAttributes = 0;
    std::uint16_t method = 0;
    std::uint16_t flags = 0;
    std::uint16_t versionMadeBy = 0;
    std::uint16_t dosTime = 0;
    std::uint16_t dosDate = 0;
    // WinZip AES: key strength 1..3 (0: not AES), vendor version, real method.
    std::uint8_t aesStrength = 0;
    std::uint16_t aesVersion = 0;
    std::uint16_t aesMethod = 0;
    // True when the header cannot be trusted: a zip64 value is missing, or
    // the local header would lie outside the file.
    bool damagedHeader = false;
    std::int64_t mtimeSeconds = 0;
    std::uint32_t mtimeNanoseconds = 0;
    bool hasExactTime = false; // from the extended timestamp or NTFS extra field
    // The stored name and the Info-ZIP Unicode path (empty when absent or
    // stale), as offsets into CentralDirectory::Names().
    std::uint32_t nameOffset = 0;
    std::uint16_t nameLength = 0;
    std::uint32_t unicodeNameOffset = 0;
    std::uint16_t unicodeNameLength = 0;

    unsigned Host() const { return versionMadeBy >> 8; }
    bool IsEncrypted() const { return (flags & 0x0001) != 0; }
};

// The whole central directory of an archive, read into memory.
class CentralDirectory {
public:
    // The most entries an archive may have: keeps the directory well below
    // the engine's memory bound.
    static constexpr std::uint64_t kMaxEntries = 250000;

    // Reads every central header. False with a reason in `error` when a
    // header is missing, short or inconsistent.
    bool Read(ByteSource& source, const ArchiveLayout& layout, std::string& error);

    const std::vector<Entry>& Entries() const { return m_entries; }
    std::string_view StoredName(const Entry& entry) const {
        return std::string_view(m_names).substr(entry.nameOffset, entry.nameLength);
    }
    std::string_view UnicodeName(const Entry& entry) const {
        return std::string_view(m_names).substr(entry.unicodeNameOffset, entry.unicodeNameLength);
    }

    // The first file position after the local data of `index`: the next
    // entry's local header or the central directory, whichever comes first.
    std::uint64_t DataLimit(std::size_t index) const { return m_dataLimits[index]; }

    // True when another entry's local header lies at the same position.
    bool SharesOffset(std::size_t index) const { return m_sharedOffsets[index]; }

private:
    void ParseExtra(Entry& entry, const unsigned char* extra, std::size_t size,
                    std::string_view name);
    void ComputeLimits(std::uint64_t centralStart);

    std::vector<Entry> m_entries;
    std::string m_names;
    std::vector<std::uint64_t> m_dataLimits;
    std::vector<bool> m_sharedOffsets;
};

// DOS date and time (local time) in seconds since 1970 UTC.
std::int64_t DosTimeToUnix(std::uint16_t dosDate, std::uint16_t dosTime);

} // namespace engine
