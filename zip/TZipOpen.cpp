// Opening an archive: the end record and the central directory.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/InputFile.h"
#include "platform/Volumes.h"
#include "ui/Application.h"
#include "zipformat/EndRecordSearch.h"
#include "zipformat/NameDecoder.h"
#include "zipformat/ZipFormat.h"
#include "zip/SequentialReader.h"
#include "zip/TZip.h"

namespace {

using zipformat::kCentralHeaderSize;
using zipformat::kFlagEncrypted;
constexpr std::string_view kCentralHeaderSignature{"PK\x01\x02", 4};

// No set of disks has more; a larger number marks a damaged or foreign
// record (0xFFFF stands there when only a Zip64 record can hold the number).
constexpr unsigned kMaxDiskNumber = 1000;

// The central directory is read through a buffer of its own size, within
// these bounds, so that a directory of any number of entries costs a few
// system calls and a lying size field costs no more than the cap.
constexpr std::size_t kMinReadChunk = 64 * 1024;
constexpr std::size_t kMaxReadChunk = 16 * 1024 * 1024;

std::uint16_t Le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// End of central directory record: signature 50 4B 05 06, then
//   4 number of this disk, 6 disk where the central directory starts,
//  10 total number of entries, 12 size of the central directory,
//  16 offset of its start, 20 archive comment length.
struct EndRecordFields {
    std::uint16_t thisDisk;
    std::uint16_t startDisk;
    std::uint16_t totalEntries;
    std::uint32_t directorySize;
    std::uint32_t directoryOffset;
    std::uint16_t commentLength;
};

EndRecordFields FieldsOf(const std::array<std::uint8_t, 22>& record) {
    return {Le16(&record[4]),  Le16(&record[6]),  Le16(&record[10]),
            Le32(&record[12]), Le32(&record[16]), Le16(&record[20])};
}

// The end record of an archive without entries.
std::array<std::uint8_t, 22> EmptyEndRecord() {
    return {0x50, 0x4B, 0x05, 0x06};
}

std::uint64_t Le64(const std::uint8_t* p) {
    return Le32(p) | (static_cast<std::uint64_t>(Le32(p + 4)) << 32);
}

// Archives with more than 65535 entries, or a directory beyond 4 GiB, carry
// the true values in a Zip64 end record, found through a locator right in
// front of the end record:
//   locator (20 bytes): signature 50 4B 06 07, 4 disk of the Zip64 record,
//     8 its offset (8 bytes), 16 total number of disks;
//   Zip64 end record (56 bytes and extensible data): signature 50 4B 06 06,
//     4 size of the rest of the record (8 bytes), 16 number of this disk,
//     20 disk where the directory starts, 32 total number of entries (8),
//     40 size of the directory (8), 48 offset of its start (8).
constexpr std::string_view kZip64LocatorSignature{"PK\x06\x07", 4};
constexpr std::string_view kZip64EndSignature{"PK\x06\x06", 4};
constexpr std::int64_t kZip64LocatorSize = 20;
constexpr std::int64_t kZip64EndSize = 56;
constexpr std::int64_t kZip64EndSizeFieldBase = 12;

bool HasSignature(const std::string& bytes, std::string_view signature) {
    return std::string_view(bytes).substr(0, signature.size()) == signature;
}

std::string ReadExactly(const platform::InputFile& file, std::int64_t offset, std::size_t count) {
    std::string bytes(count, '\0');
    if (offset < 0 || file.ReadAt(offset, bytes.data(), count) != count) {
        return {};
    }
    return bytes;
}

const std::uint8_t* Bytes(const std::string& bytes) {
    return reinterpret_cast<const std::uint8_t*>(bytes.data());
}

std::string NotAValidZip(const std::string& path) {
    return "\"" + path + "\"\nis not a valid Zip file.";
}

} // namespace

// Where the central directory lies and how many entries it holds.
struct TZip::DirectoryPlace {
    std::int64_t start;
    std::uint64_t entries;
    std::uint64_t size;
};

struct TZip::FoundEndRecord {
    std::int64_t position;
    std::array<std::uint8_t, 22> record;
    // The bytes from the end of the record to the end of the file.
    std::string following;
};

void TZip::SetArchiveFileName(const std::string& path) {
    m_oemNames = false;
    m_eochInfo.EndRecord = EmptyEndRecord();
    m_eochInfo.ZipComment.clear();
    m_eochInfo.EndRecordPosition = -1;
    m_entries = {};
    m_archiveFileName = path;
    Declined.clear();

    if (!path.empty()) {
        if (!m_volumes.VolumeLabel(VolumeRoot(path))) {
            throw ZipException("Unable to access the selected drive!");
        }
        if (!platform::FileExists(path)) {
            const auto empty = EmptyEndRecord();
            std::string reason;
            if (!platform::WriteWholeFile(
                    path, std::string(reinterpret_cast<const char*>(empty.data()), empty.size()),
                    reason)) {
                throw ZipException("Unable to create \n\"" + path + "\"");
            }
        }
        ReadDirectory();
    }
    if (OnContentsChanged) {
        OnContentsChanged(this);
    }
}

void TZip::ReadDirectory() {
    m_entries = {};
    if (m_archiveFileName.empty()) {
        return;
    }
    platform::InputFile file;
    OpenForReading(file);
    std::optional<FoundEndRecord> found = FindEndRecord(file);
    while (!found) {
        file.Close();
        const int disk = SpanDiskNumber(m_archiveFileName);
        if (disk == 0) {
            throw ZipException(NotAValidZip(m_archiveFileName));
        }
        const auto answer = m_app.MessageBox(DiskPrompt(
            "This is [ Disk " + std::to_string(disk) +
            " ] of a multiple disk Zip file.\nInsert the last disk of the Zip file before "
            "pressing [ OK ] to continue ..."));
        if (answer != ui::MsgResult::Ok) {
            Declined = "The last disk of the Zip file was not inserted.";
            return;
        }
        OpenForReading(file);
        found = FindEndRecord(file);
    }

    m_eochInfo.EndRecordPosition =
        found->position <= INT32_MAX ? static_cast<std::int32_t>(found->position) : -1;
    m_eochInfo.EndRecord = found->record;
    const EndRecordFields end = FieldsOf(found->record);
    if (end.thisDisk > kMaxDiskNumber || end.startDisk > kMaxDiskNumber) {
        throw ZipException(NotAValidZip(m_archiveFileName));
    }
    if (found->following.size() >= end.commentLength) {
        m_eochInfo.ZipComment =
            m_names.AsStored(std::string_view(found->following).substr(0, end.commentLength));
    }
    const DirectoryPlace place = LocateDirectory(file, found->position);
    if (place.entries == 0) {
        return;
    }
    if (end.startDisk != end.thisDisk) {
        // Only a removable drive can be given another disk. On any other
        // drive the record is damaged, and asking for a disk would only
        // repeat until Cancel and leave the archive quietly empty.
        if (!OnRemovableDrive(m_archiveFileName)) {
            throw ZipException("Error reading CentralFileHeader.");
        }
        // Closed while the user changes disks: an open file keeps a medium
        // from being unmounted.
        file.Close();
        if (!AskForDisk(m_archiveFileName, end.startDisk)) {
            return;
        }
        OpenForReading(file);
    }
    bool complete = false;
    try {
        complete = ReadCentralHeaders(file, place);
    } catch (...) {
        m_entries = {};
        throw;
    }
    if (!complete) {
        m_entries = {};
        throw ZipException("Error reading CentralFileHeader.");
    }
}

// On one disk the directory is found back from the end record (or the Zip64
// end record), so that data in front of the archive (a self-extracting stub)
// does not matter; on a disk of a set the stored offset is used.
TZip::DirectoryPlace TZip::LocateDirectory(const platform::InputFile& file,
                                           std::int64_t endRecordOffset) const {
    const EndRecordFields end = FieldsOf(m_eochInfo.EndRecord);
    if (end.thisDisk != 0) {
        return {end.directoryOffset, end.totalEntries, end.directorySize};
    }
    const DirectoryPlace classic{endRecordOffset - end.directorySize, end.totalEntries,
                                 end.directorySize};
    if (end.startDisk != 0) {
        return classic;
    }
    const std::int64_t locatorOffset = endRecordOffset - kZip64LocatorSize;
    const std::string locator = ReadExactly(file, locatorOffset, kZip64LocatorSize);
    if (!HasSignature(locator, kZip64LocatorSignature) || Le32(Bytes(locator) + 4) != 0) {
        return classic;
    }
    // The Zip64 record ends where the locator begins: most have no
    // extensible data; otherwise the stored offset must agree.
    std::int64_t recordOffset = locatorOffset - kZip64EndSize;
    std::string record = ReadExactly(file, recordOffset, kZip64EndSize);
    if (!HasSignature(record, kZip64EndSignature)) {
        const std::uint64_t stored = Le64(Bytes(locator) + 8);
        recordOffset = stored < static_cast<std::uint64_t>(locatorOffset)
                           ? static_cast<std::int64_t>(stored)
                           : -1;
        record = ReadExactly(file, recordOffset, kZip64EndSize);
    }
    if (!HasSignature(record, kZip64EndSignature) ||
        Le64(Bytes(record) + 4) + kZip64EndSizeFieldBase !=
            static_cast<std::uint64_t>(locatorOffset - recordOffset) ||
        Le32(Bytes(record) + 16) != 0 || Le32(Bytes(record) + 20) != 0) {
        return classic;
    }
    const std::uint64_t size = Le64(Bytes(record) + 40);
    if (size > static_cast<std::uint64_t>(recordOffset)) {
        return {-1, Le64(Bytes(record) + 32), size};
    }
    return {recordOffset - static_cast<std::int64_t>(size), Le64(Bytes(record) + 32), size};
}

std::optional<TZip::FoundEndRecord> TZip::FindEndRecord(const platform::InputFile& file) const {
    const std::int64_t size = file.Size();
    if (size < static_cast<std::int64_t>(zipformat::kEndRecordSize)) {
        return std::nullopt;
    }
    const std::int64_t start = zipformat::EndRecordSearchStart(size);
    std::string tail(static_cast<std::size_t>(size - start), '\0');
    if (file.ReadAt(start, tail.data(), tail.size()) != tail.size()) {
        return std::nullopt;
    }
    const auto position = zipformat::FindEndRecordIn(tail, start, size);
    if (!position) {
        return std::nullopt;
    }
    const auto index = static_cast<std::size_t>(*position - start);
    FoundEndRecord found{*position, {}, tail.substr(index + zipformat::kEndRecordSize)};
    std::memcpy(found.record.data(), tail.data() + index, zipformat::kEndRecordSize);
    return found;
}

bool TZip::ReadCentralHeaders(platform::InputFile& file, const DirectoryPlace& place) {
    const EndRecordFields end = FieldsOf(m_eochInfo.EndRecord);
    if (place.start < 0) {
        return false;
    }
    const auto chunk = static_cast<std::size_t>(
        std::clamp<std::uint64_t>(place.size, kMinReadChunk, kMaxReadChunk));
    zip::SequentialReader reader(file, place.start, chunk);
    m_entries.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(
        place.entries, static_cast<std::uint64_t>(reader.Remaining()) / kCentralHeaderSize)));

    for (std::uint64_t i = 0; i < place.entries;) {
        std::string_view header;
        if (!reader.Next(kCentralHeaderSize, header)) {
            if (end.thisDisk == 0) {
                return false;
            }
            // The directory goes on on the next disk of the set.
            const int disk = SpanDiskNumber(m_archiveFileName);
            if (disk == 0 || disk > end.thisDisk) {
                return false;
            }
            file.Close();
            if (!AskForDisk(m_archiveFileName, disk + 1)) {
                return false;
            }
            OpenForReading(file);
            reader.Restart(0);
            continue;
        }
        if (header.substr(0, kCentralHeaderSignature.size()) != kCentralHeaderSignature) {
            return false;
        }
        const auto* fixed = reinterpret_cast<const std::uint8_t*>(header.data());
        if (i == 0) {
            m_oemNames = zipformat::OemNamesFor(Le16(fixed + zipformat::kCentralVersionMadeBy));
        }
        const std::uint16_t flags = Le16(fixed + zipformat::kCentralFlags);
        const std::uint16_t nameLength = Le16(fixed + zipformat::kCentralNameLength);
        const std::uint16_t extraLength = Le16(fixed + zipformat::kCentralExtraLength);
        const std::uint16_t commentLength = Le16(fixed + zipformat::kCentralCommentLength);

        TFileInfo& info = m_entries.emplace_back();
        std::memcpy(info.Header.data(), fixed, kCentralHeaderSize);
        info.Encrypted = (flags & kFlagEncrypted) != 0;

        std::string_view bytes;
        if (!reader.Next(nameLength, bytes)) {
            return false;
        }
        info.StoredName.assign(bytes);
        const std::string& stored = info.StoredName;
        if (!reader.Next(extraLength, bytes)) {
            return false;
        }
        info.ExtraField.assign(bytes);
        // Read as the engine reads it, Unicode path field included, so the
        // list names what the engine writes.
        info.FileName = zipformat::DecodeEntryText(
            m_names, stored, flags, zipformat::UnicodePath(info.ExtraField, stored), m_oemNames);
        std::replace(info.FileName.begin(), info.FileName.end(), '/', '\\');
        if (!reader.Next(commentLength, bytes)) {
            return false;
        }
        info.FileComment = zipformat::DecodeEntryText(m_names, bytes, flags, {}, m_oemNames);
        ++i;
    }
    return true;
}

void TZip::OpenForReading(platform::InputFile& file) const {
    std::string reason;
    if (!file.Open(m_archiveFileName, reason)) {
        throw ui::Exception("Cannot open file \"" + m_archiveFileName + "\". " + reason);
    }
}
