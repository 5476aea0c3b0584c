#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "zipformat/ZipFormat.h"

// Locating the end of central directory record of a zip archive, shared by
// the archive component and the unzip engine so that both read the same
// record of any file. Plain C++ without dependencies.
namespace zipformat {

// The end record's signature as it stands in the file: "PK", 5, 6. (Its
// fixed part is kEndRecordSize bytes; the archive comment follows it.)
inline constexpr std::string_view kEndRecordSignatureBytes{"PK\x05\x06", 4};
// The longest comment the record's 16-bit length field can announce.
inline constexpr std::int64_t kMaxArchiveCommentLength = 65535;
// How far from the end of a file the record can start: a record with a
// comment of the greatest length.
inline constexpr std::int64_t kEndRecordSearchSpan =
    kMaxArchiveCommentLength + static_cast<std::int64_t>(kEndRecordSize);

// The file offset from which a file of `fileSize` bytes is searched: the
// last kEndRecordSearchSpan bytes, or the whole of a shorter file.
std::int64_t EndRecordSearchStart(std::int64_t fileSize);

// The file offset of the end record, found in `tail`: the bytes of the file
// from `tailOffset` to its end (`fileSize`). Nullopt when the file is
// shorter than a record, when `tail` does not reach exactly to the end of
// the file (a short read), or when no signature is found.
//
// Records are looked for from EndRecordSearchStart(fileSize) on (earlier
// bytes of `tail` are ignored), at every offset where a whole record fits.
// Of the signatures found, the one nearest the end whose comment length
// reaches exactly to the end of the file wins; when none does, the one
// nearest the end. A signature inside the archive comment (a zip stored in
// the comment, or chance bytes) thus does not hide the real record, and
// every file with a signature in reach yields a record.
std::optional<std::int64_t> FindEndRecordIn(std::string_view tail, std::int64_t tailOffset,
                                            std::int64_t fileSize);

} // namespace zipformat
