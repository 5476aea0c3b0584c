#pragma once

#include <array>
#include <cstdint>
#include <string>

// The records the archive component keeps of an archive, in the layout of
// PKWARE's ZIP application note (little-endian). Byte fields hold the bytes
// exactly as stored. Text fields are UTF-8: names and comments flagged as
// UTF-8 as stored; others converted from the OEM code page when the archive
// stores OEM names (TZip::OemNames), else kept when they are well-formed
// UTF-8 and converted from the ANSI code page when they are not.

// One entry of the central directory.
struct TFileInfo {
    // The 46 fixed bytes of the entry's central directory file header,
    // exactly as stored (signature 50 4B 01 02 first).
    std::array<std::uint8_t, 46> Header{};
    // Bit 0 of the general purpose flags.
    bool Encrypted = false;
    // The stored name in UTF-8, every "/" replaced by "\".
    std::string FileName;
    // The stored extra field, byte for byte (binary; not text).
    std::string ExtraField;
    // The stored entry comment in UTF-8.
    std::string FileComment;
    // The name exactly as stored, before any conversion (binary): what the
    // medium checker compares with how the name is read.
    std::string StoredName;
};

// The end of central directory record of an archive.
struct TEOCHInfo {
    // The 22 fixed bytes of the record, exactly as stored (signature
    // 50 4B 05 06 first).
    std::array<std::uint8_t, 22> EndRecord{};
    // The archive comment that follows the record: as stored when it is
    // UTF-8, else converted from the ANSI code page.
    std::string ZipComment;
    // File offset of the record: -1 while none is known, and for a record
    // beyond 2 GiB - 1 (the archive is read with 64-bit offsets all the same).
    // 0 before the first opening, like every other field.
    std::int32_t EndRecordPosition = 0;
};
