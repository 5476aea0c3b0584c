#include "engine/EndRecord.h"

#include <algorithm>
#include <vector>

#include "zipformat/ZipFormat.h"
#include "zipformat/EndRecordSearch.h"

namespace engine {

using namespace zipformat;

std::optional<std::size_t> FindEndRecordIn(std::string_view tail) {
    // One search rule for the archive component and the engine, so both
    // always take the same end record.
    const auto found = zipformat::FindEndRecordIn(tail, 0, static_cast<std::int64_t>(tail.size()));
    if (!found) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(*found);
}

namespace {

// Reads the zip64 end record that a locator right before the end record
// points at. With data in front of the archive the stored offset is short
// by the shift, so the record is also looked for where it normally lies,
// right before the locator.
bool ReadZip64EndRecord(ByteSource& source, std::uint64_t locatorPosition,
                        const unsigned char* locator, std::uint64_t& position,
                        unsigned char* record) {
    std::uint64_t stored = Read64(locator + 8);
    std::uint64_t candidates[] = {stored, locatorPosition >= kZip64EndRecordSize
                                              ? locatorPosition - kZip64EndRecordSize
                                              : locatorPosition};
    for (std::uint64_t candidate : candidates) {
        if (candidate + kZip64EndRecordSize <= locatorPosition &&
            source.ReadExactly(candidate, record, kZip64EndRecordSize) &&
            Read32(record) == kZip64EndRecordSignature) {
            position = candidate;
            return true;
        }
    }
    return false;
}

} // namespace

LayoutError LocateCentralDirectory(ByteSource& source, ArchiveLayout& layout, std::string& error) {
    const std::uint64_t size = source.Size();
    const std::size_t span =
        static_cast<std::size_t>(std::min<std::uint64_t>(size, kEndRecordSearchSpan));
    std::string tail(span, '\0');
    if (!source.ReadExactly(size - span, tail.data(), span)) {
        error = source.Error().empty() ? "the file is shorter than its size" : source.Error();
        return LayoutError::ReadFailed;
    }
    auto found = FindEndRecordIn(tail);
    if (!found) {
        error = "no end of central directory record";
        return LayoutError::NotZip;
    }
    const auto* end = reinterpret_cast<const unsigned char*>(tail.data()) + *found;
    layout.endRecordPosition = size - span + *found;

    std::uint32_t thisDisk = Read16(end + 4);
    std::uint32_t centralDisk = Read16(end + 6);
    std::uint64_t entriesOnDisk = Read16(end + 8);
    std::uint64_t entries = Read16(end + 10);
    std::uint64_t centralSize = Read32(end + 12);
    std::uint64_t centralOffset = Read32(end + 16);
    std::uint64_t centralEnd = layout.endRecordPosition;

    unsigned char locator[kZip64LocatorSize];
    if (layout.endRecordPosition >= kZip64LocatorSize &&
        source.ReadExactly(layout.endRecordPosition - kZip64LocatorSize, locator,
                           kZip64LocatorSize) &&
        Read32(locator) == kZip64LocatorSignature) {
        unsigned char record[kZip64EndRecordSize];
        std::uint64_t position = 0;
        if (!ReadZip64EndRecord(source, layout.endRecordPosition - kZip64LocatorSize, locator,
                                position, record)) {
            error = "the zip64 end of central directory record is missing";
            return LayoutError::NotZip;
        }
        if (Read32(locator + 4) != 0 || Read32(locator + 16) > 1) {
            error = "the archive is spread over several disks";
            return LayoutError::MultiDisk;
        }
        layout.zip64 = true;
        thisDisk = Read32(record + 16);
        centralDisk = Read32(record + 20);
        entriesOnDisk = Read64(record + 24);
        entries = Read64(record + 32);
        centralSize = Read64(record + 40);
        centralOffset = Read64(record + 48);
        centralEnd = position;
    }
    if (thisDisk != 0 || centralDisk != 0 || entriesOnDisk != entries) {
        error = "the archive is spread over several disks";
        return LayoutError::MultiDisk;
    }
    if (centralOffset > (std::uint64_t{1} << 62)) {
        error = "the central directory offset lies beyond any archive";
        return LayoutError::NotZip;
    }
    if (centralSize > centralEnd) {
        error = "the central directory is larger than the archive";
        return LayoutError::NotZip;
    }
    if (entries > centralSize / kCentralHeaderSize) {
        error = "the central directory is too small for " + std::to_string(entries) + " entries";
        return LayoutError::NotZip;
    }
    layout.entryCount = entries;
    layout.centralSize = centralSize;
    layout.centralStart = centralEnd - centralSize;
    layout.offsetShift =
        static_cast<std::int64_t>(layout.centralStart) - static_cast<std::int64_t>(centralOffset);
    return LayoutError::None;
}

} // namespace engine
