#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

// A zip archive with stored (uncompressed) entries and their CRC-32, made
// in memory, for tests on systems without Info-ZIP's zip. Folders come
// from the entry names.
inline std::string StoredZip(const std::vector<std::pair<std::string, std::string>>& files) {
    const auto crc32 = [](const std::string& data) {
        std::uint32_t crc = 0xFFFFFFFFu;
        for (unsigned char byte : data) {
            crc ^= byte;
            for (int bit = 0; bit < 8; ++bit) {
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
            }
        }
        return ~crc;
    };
    const auto put = [](std::string& out, std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            out += static_cast<char>((value >> (8 * i)) & 0xFF);
        }
    };
    std::string archive;
    std::string central;
    for (const auto& [name, data] : files) {
        const auto offset = static_cast<std::uint32_t>(archive.size());
        const auto size = static_cast<std::uint32_t>(data.size());
        const std::uint32_t crc = crc32(data);
        std::string fields; // version needed .. name length, shared by both headers
        put(fields, 10, 2);
        put(fields, 0, 2);      // flags
        put(fields, 0, 2);      // stored
        put(fields, 0x5A210000u, 4); // 2025-01-01 00:00
        put(fields, crc, 4);
        put(fields, size, 4);
        put(fields, size, 4);
        put(fields, static_cast<std::uint32_t>(name.size()), 2);
        put(fields, 0, 2); // extra length
        archive += "PK\x03\x04" + fields + name + data;
        central += std::string("PK\x01\x02") + '\x14' + '\x00' + fields;
        put(central, 0, 2); // comment length
        put(central, 0, 2); // disk
        put(central, 0, 2); // internal attributes
        put(central, 0, 4); // external attributes
        put(central, offset, 4);
        central += name;
    }
    const auto centralOffset = static_cast<std::uint32_t>(archive.size());
    archive += central;
    archive += "PK\x05\x06";
    put(archive, 0, 4);
    put(archive, static_cast<std::uint32_t>(files.size()), 2);
    put(archive, static_cast<std::uint32_t>(files.size()), 2);
    put(archive, static_cast<std::uint32_t>(central.size()), 4);
    put(archive, centralOffset, 4);
    put(archive, 0, 2);
    return archive;
}

} // namespace testing_support
