#pragma once

#include <cstdint>

// Field access and constants of the ZIP file format (PKWARE's application
// note). Every number is little-endian.
namespace zipformat {

inline std::uint16_t Read16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t Read32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline std::uint64_t Read64(const unsigned char* p) {
    return Read32(p) | (static_cast<std::uint64_t>(Read32(p + 4)) << 32);
}

constexpr std::uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr std::uint32_t kCentralHeaderSignature = 0x02014b50;
constexpr std::uint32_t kEndRecordSignature = 0x06054b50;
constexpr std::uint32_t kZip64EndRecordSignature = 0x06064b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;

constexpr unsigned kLocalHeaderSize = 30;
constexpr unsigned kCentralHeaderSize = 46;
constexpr unsigned kEndRecordSize = 22;
constexpr unsigned kZip64EndRecordSize = 56;
constexpr unsigned kZip64LocatorSize = 20;
// A data descriptor holds at least the CRC and two 4-byte sizes.
constexpr unsigned kMinDataDescriptorSize = 12;

// Fields of the central directory file header (after its signature
// 50 4B 01 02): "version made by" (low byte the format version of the
// writer, 50 for 5.0; high byte the host system), the general purpose
// flags, and the lengths of the name, extra field and comment that follow
// the 46 fixed bytes in that order.
constexpr unsigned kCentralVersionMadeBy = 4;
constexpr unsigned kCentralFlags = 8;
constexpr unsigned kCentralNameLength = 28;
constexpr unsigned kCentralExtraLength = 30;
constexpr unsigned kCentralCommentLength = 32;

// General purpose flags.
constexpr std::uint16_t kFlagEncrypted = 0x0001;
constexpr std::uint16_t kFlagDataDescriptor = 0x0008;
constexpr std::uint16_t kFlagStrongEncryption = 0x0040;
constexpr std::uint16_t kFlagUtf8 = 0x0800;

// Compression methods.
constexpr std::uint16_t kMethodStored = 0;
constexpr std::uint16_t kMethodDeflated = 8;
constexpr std::uint16_t kMethodBzip2 = 12;
constexpr std::uint16_t kMethodLzma = 14;
constexpr std::uint16_t kMethodAes = 99;

// Extra field tags.
constexpr std::uint16_t kExtraZip64 = 0x0001;
constexpr std::uint16_t kExtraNtfs = 0x000a;
constexpr std::uint16_t kExtraTimestamp = 0x5455;
constexpr std::uint16_t kExtraUnicodePath = 0x7075;
constexpr std::uint16_t kExtraAes = 0x9901;

// Host systems in the high byte of "version made by".
constexpr unsigned kHostFat = 0;
constexpr unsigned kHostUnix = 3;
constexpr unsigned kHostHpfs = 6;
constexpr unsigned kHostNtfs = 11;
constexpr unsigned kHostVfat = 14;
constexpr unsigned kHostOsx = 19;

} // namespace zipformat
