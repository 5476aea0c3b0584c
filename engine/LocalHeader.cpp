#include "engine/LocalHeader.h"

#include <vector>

#include "zipformat/ZipFormat.h"

namespace engine {

using namespace zipformat;

namespace {

// The sizes a local header states, reading its zip64 extra field where the
// fixed fields are saturated.
void LocalSizes(const unsigned char* header, const unsigned char* extra, std::size_t extraSize,
                std::uint64_t& compressed, std::uint64_t& uncompressed) {
    uncompressed = Read32(header + 22);
    compressed = Read32(header + 18);
    std::size_t at = 0;
    while (extraSize - at >= 4) {
        std::uint16_t tag = Read16(extra + at);
        std::uint16_t length = Read16(extra + at + 2);
        if (length > extraSize - at - 4) {
            return;
        }
        if (tag == kExtraZip64) {
            std::size_t used = 0;
            const unsigned char* data = extra + at + 4;
            if (uncompressed == 0xffffffff && length - used >= 8) {
                uncompressed = Read64(data + used);
                used += 8;
            }
            if (compressed == 0xffffffff && length - used >= 8) {
                compressed = Read64(data + used);
            }
            return;
        }
        at += 4 + std::size_t{length};
    }
}

} // namespace

std::string ReadLocalHeader(ByteSource& source, const CentralDirectory& directory,
                            std::size_t index, LocalData& data) {
    const Entry& entry = directory.Entries()[index];
    data = LocalData{};
    if (entry.damagedHeader) {
        return "its central directory entry is damaged";
    }
    if (directory.SharesOffset(index)) {
        return "its data overlaps another entry";
    }
    unsigned char header[kLocalHeaderSize];
    if (!source.ReadExactly(entry.localOffset, header, sizeof(header))) {
        return "its local header cannot be read";
    }
    if (Read32(header) != kLocalHeaderSignature) {
        return "its local header is missing";
    }
    std::size_t nameLength = Read16(header + 26);
    std::size_t extraLength = Read16(header + 28);
    std::uint64_t limit = directory.DataLimit(index);
    std::uint64_t start = entry.localOffset + kLocalHeaderSize + nameLength + extraLength;
    std::uint64_t descriptor =
        (entry.flags & kFlagDataDescriptor) != 0 ? kMinDataDescriptorSize : 0;
    if (start > limit || entry.compressedSize > limit - start ||
        descriptor > limit - start - entry.compressedSize) {
        return start + entry.compressedSize > source.Size() || start + entry.compressedSize < start
                   ? "its data runs past the end of the archive"
                   : "its data overlaps another entry or the central directory";
    }
    data.start = start;

    std::vector<unsigned char> variable(nameLength + extraLength);
    if (!source.ReadExactly(entry.localOffset + kLocalHeaderSize, variable.data(),
                            variable.size())) {
        return "its local header cannot be read";
    }
    std::string_view localName(reinterpret_cast<const char*>(variable.data()), nameLength);
    std::uint16_t localFlags = Read16(header + 6);
    if (localName != directory.StoredName(entry)) {
        data.contradiction = "the local header names another file";
    } else if (Read16(header + 8) != entry.method) {
        data.contradiction = "the local header gives another compression method";
    } else if (((localFlags ^ entry.flags) & kFlagEncrypted) != 0) {
        data.contradiction = "the local header disagrees about encryption";
    } else if ((localFlags & kFlagDataDescriptor) == 0) {
        std::uint64_t compressed = 0;
        std::uint64_t uncompressed = 0;
        LocalSizes(header, variable.data() + nameLength, extraLength, compressed, uncompressed);
        if (Read32(header + 14) != entry.crc || compressed != entry.compressedSize ||
            uncompressed != entry.uncompressedSize) {
            data.contradiction = "the local header gives another size or CRC";
        }
    }
    return {};
}

} // namespace engine
