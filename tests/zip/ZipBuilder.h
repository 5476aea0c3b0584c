#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Builds zip archives byte by byte for the tests, so that each test can
// carry exactly the defect it is about. Entries are stored (no compression)
// and carry no CRC: the archive component reads neither local headers nor
// data.
namespace zip_test {

struct Entry {
    std::string name;
    std::string extra;
    std::string comment;
    std::uint8_t version = 20; // format version of the writer, "version made by" low byte
    std::uint8_t host = 3;     // host system, "version made by" high byte (3: Unix)
    std::uint16_t flags = 0;
    std::string data;
};

struct EndFields {
    std::uint16_t thisDisk = 0;
    std::uint16_t startDisk = 0;
    std::uint16_t diskEntries = 0;
    std::uint16_t totalEntries = 0;
    std::uint32_t directorySize = 0;
    std::uint32_t directoryOffset = 0;
    std::uint16_t commentLength = 0;
};

inline void Put16(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

inline void Put32(std::string& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

inline void Put64(std::string& out, std::uint64_t value) {
    Put32(out, static_cast<std::uint32_t>(value));
    Put32(out, static_cast<std::uint32_t>(value >> 32));
}

inline std::string LocalRecord(const Entry& entry) {
    std::string out = "PK\x03\x04";
    Put16(out, 10);
    Put16(out, entry.flags);
    Put16(out, 0); // stored
    Put32(out, 0); // time and date
    Put32(out, 0); // CRC
    Put32(out, static_cast<std::uint32_t>(entry.data.size()));
    Put32(out, static_cast<std::uint32_t>(entry.data.size()));
    Put16(out, static_cast<std::uint32_t>(entry.name.size()));
    Put16(out, 0);
    return out + entry.name + entry.data;
}

inline std::string CentralHeader(const Entry& entry, std::uint32_t localOffset) {
    std::string out = "PK\x01\x02";
    out += static_cast<char>(entry.version);
    out += static_cast<char>(entry.host);
    Put16(out, 10);
    Put16(out, entry.flags);
    Put16(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, static_cast<std::uint32_t>(entry.data.size()));
    Put32(out, static_cast<std::uint32_t>(entry.data.size()));
    Put16(out, static_cast<std::uint32_t>(entry.name.size()));
    Put16(out, static_cast<std::uint32_t>(entry.extra.size()));
    Put16(out, static_cast<std::uint32_t>(entry.comment.size()));
    Put16(out, 0); // disk number start
    Put16(out, 0); // internal attributes
    Put32(out, 0); // external attributes
    Put32(out, localOffset);
    return out + entry.name + entry.extra + entry.comment;
}

inline std::string EndRecord(const EndFields& end) {
    std::string out = "PK\x05\x06";
    Put16(out, end.thisDisk);
    Put16(out, end.startDisk);
    Put16(out, end.diskEntries);
    Put16(out, end.totalEntries);
    Put32(out, end.directorySize);
    Put32(out, end.directoryOffset);
    Put16(out, end.commentLength);
    return out;
}

// An archive in its parts, so that a test can change any of them before
// joining them.
struct Archive {
    std::string front;     // anything in front, then the local records
    std::string directory; // the central headers
    std::string zip64;     // the Zip64 end record and locator, if any
    EndFields end;         // describes `directory` as found after `front`
    std::string comment;   // the archive comment; `end.commentLength` matches it

    std::string Bytes() const { return front + directory + zip64 + EndRecord(end) + comment; }
};

inline Archive MakeArchive(const std::vector<Entry>& entries, const std::string& comment = "",
                           const std::string& stub = "") {
    Archive archive;
    archive.front = stub;
    std::vector<std::uint32_t> offsets;
    for (const Entry& entry : entries) {
        offsets.push_back(static_cast<std::uint32_t>(archive.front.size()));
        archive.front += LocalRecord(entry);
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        archive.directory += CentralHeader(entries[i], offsets[i]);
    }
    const auto count = static_cast<std::uint16_t>(entries.size());
    archive.end = {0,
                   0,
                   count,
                   count,
                   static_cast<std::uint32_t>(archive.directory.size()),
                   static_cast<std::uint32_t>(archive.front.size()),
                   static_cast<std::uint16_t>(comment.size())};
    archive.comment = comment;
    return archive;
}

// Gives the archive of `entries` entries a Zip64 end record and locator, and
// saturates the end record's count and offset, as tools write an archive of
// more than 65535 entries.
inline void UseZip64(Archive& archive, std::uint64_t entries) {
    const std::uint64_t recordOffset = archive.front.size() + archive.directory.size();
    std::string& out = archive.zip64;
    out = "PK\x06\x06";
    Put64(out, 44);
    Put16(out, 45);
    Put16(out, 45);
    Put32(out, 0);
    Put32(out, 0);
    Put64(out, entries);
    Put64(out, entries);
    Put64(out, archive.directory.size());
    Put64(out, archive.front.size());
    out += "PK\x06\x07";
    Put32(out, 0);
    Put64(out, recordOffset);
    Put32(out, 1);
    archive.end.diskEntries = archive.end.totalEntries = 0xFFFF;
    archive.end.directoryOffset = 0xFFFFFFFF;
}

} // namespace zip_test
