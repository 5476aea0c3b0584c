#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/ByteSource.h"

namespace engine {

// How far back from the end of a file the end record is searched: the
// longest archive comment plus the record itself.
constexpr std::size_t kEndRecordSearchSpan = 65535 + 22;

// The position of the end of central directory record within `tail`, the
// last bytes of a file (at most kEndRecordSearchSpan of them, ending at the
// end of the file). Searching backwards for the signature, the first
// candidate whose comment length reaches exactly the end of the file wins;
// without one, the first signature from the end where a whole record fits.
// None when no signature is found. Pure function.
std::optional<std::size_t> FindEndRecordIn(std::string_view tail);

// Where the central directory of an archive lies, from its end records.
struct ArchiveLayout {
    std::uint64_t endRecordPosition = 0;
    std::uint64_t entryCount = 0;
    std::uint64_t centralStart = 0; // file position of the first central header
    std::uint64_t centralSize = 0;
    // Added to every stored offset: the length of data in front of the
    // archive (such as a self-extracting stub); negative when data is missing.
    std::int64_t offsetShift = 0;
    bool zip64 = false;
};

enum class LayoutError { None, NotZip, MultiDisk, ReadFailed };

// Finds the end record (and the zip64 end record when the archive has one)
// and places the central directory back from it, as the archive component
// does: it ends where the end record (or the zip64 end record) begins, so
// the stored directory offset is used only to learn the shift. On failure
// `error` names the reason.
LayoutError LocateCentralDirectory(ByteSource& source, ArchiveLayout& layout, std::string& error);

} // namespace engine
