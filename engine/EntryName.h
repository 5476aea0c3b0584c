#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/CentralDirectory.h"
#include "zipformat/NameDecoder.h"

namespace engine {

// The name of an entry in UTF-8, read as the archive component reads it
// (zipformat::DecodeEntryText): whether the archive's names are in the OEM
// code page is decided by its first entry.
std::string DecodeEntryName(const CentralDirectory& directory, const Entry& entry,
                            zipformat::NameDecoder& names);

// An entry name split into the folders below the extraction folder and a
// last part; for a folder entry (a name ending with a separator) `leaf` is
// empty.
struct EntryPath {
    std::vector<std::string> folders;
    std::string leaf;
    bool isFolder = false;
};

// Which file system's names an entry name must make sense in. On Windows
// some names mean something other than a file in its folder: a device (CON,
// PRN, AUX, NUL, COM0-9, LPT0-9, CONIN$, CONOUT$, with any extension), a
// stream or a drive (":"), or a name the system changes (a trailing dot or
// space is dropped); "<", ">", "\"", "|", "?" and "*" are not allowed.
enum class NameRules { Posix, Windows };

#ifdef _WIN32
inline constexpr NameRules kHostNameRules = NameRules::Windows;
#else
inline constexpr NameRules kHostNameRules = NameRules::Posix;
#endif

// Splits a UTF-8 entry name at "/" and "\" and checks that it stays inside
// the extraction folder. Returns an empty text and fills `path`, or returns
// why the name is refused: empty, a NUL byte or another control character,
// an absolute path, a network path, a drive letter, ".." or an empty part,
// and under the Windows rules a part Windows reads as something else. A "."
// part is dropped, so "./" is a folder entry for the extraction folder itself
// (no folders). Pure.
std::string SplitEntryName(std::string_view name, EntryPath& path,
                           NameRules rules = kHostNameRules);

// The name as the archive component lists it: every "/" shown as "\", and
// control characters (NUL included) shown as "?".
std::string DisplayName(std::string_view name);

// True when `name` matches the file spec `pattern`: "*" matches any run of
// characters, "?" one character, "/" and "\" are the same and ASCII letters
// match without regard to case; a pattern naming a folder also matches
// everything below it. Pure.
bool MatchesFileSpec(std::string_view name, std::string_view pattern);

} // namespace engine
