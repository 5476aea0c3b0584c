#pragma once

#include "platform/Registry.h"

#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace platform {

// HKEY_LOCAL_MACHINE as held by a registry export file in the text format of
// the Windows registry editor. The file is read once, when the object is
// made; nothing is ever written to it.
//
// What is read:
// - The first line must be "Windows Registry Editor Version 5.00" or
//   "REGEDIT4" (blanks around it ignored); a file with any other first line
//   holds no keys at all.
// - Text is UTF-16LE when the file starts with its byte-order mark (as the
//   registry editor exports), else UTF-8 (with or without byte-order mark);
//   text that is not valid UTF-8 is taken as code page 1252.
// - "[HKEY_LOCAL_MACHINE\...]" or "[HKLM\...]" starts a key; the values below
//   it belong to it. Keys of other roots, deletions ("[-HKEY_...]") and
//   unreadable key lines are not listed, and the values below them are
//   skipped. A key exists when it or a key below it is listed. A key listed
//   more than once collects the values of all its sections.
// - Values: "Name"="text" (REG_SZ, with \\ and \" escapes), @ for the default
//   value, hex(2): (REG_EXPAND_SZ) and hex(1): (REG_SZ) byte lists holding
//   UTF-16LE text in version 5.00 files and single-byte text in REGEDIT4
//   files (UTF-8 when valid, else code page 1252). dword:, hex: and hex(n):
//   of any other n are values of other types. "Name"=- deletes the value.
//   When a value is given more than once in a key the last one counts, as on
//   import.
// - A byte list may go on over following lines when its line ends with a
//   backslash; a blank line or one starting a key or value ends it.
// - Lines starting with ";" and blank lines are skipped; lines end in CR LF
//   or LF. Blanks are allowed around "=" and at both ends of a line.
// - A line that cannot be read (unbalanced quotes, bad hex digits, an odd
//   number of bytes in UTF-16 text, trailing junk) is skipped, and so is its
//   value; the rest of the file is still read.
class RegistryFile : public Registry {
public:
    // Files larger than this are not read (they hold no keys): an export made
    // for this program is a few kilobytes.
    static constexpr std::size_t kMaxFileBytes = 16 * 1024 * 1024;

    // Reads the export file at `path` (UTF-8). A file that does not exist,
    // cannot be read, is not a regular file or is larger than kMaxFileBytes
    // holds no keys. Keys of a file this process may not write open ReadOnly.
    explicit RegistryFile(const std::string& path);

    // Parses export file bytes held in memory; listed keys open Full when
    // `writable`, else ReadOnly.
    static RegistryFile FromBytes(std::string_view bytes, bool writable);

    KeyAccess OpenKey(std::string_view keyPath) const override;
    std::optional<std::string> ReadString(std::string_view keyPath,
                                          std::string_view valueName) const override;

private:
    struct Value {
        bool isString = false;
        std::string text;
    };

    RegistryFile() = default;
    void Parse(std::string_view bytes);

    // Whether this process may write the file. Root may write any file, so a
    // file without any write permission bit counts as read only even then.
    // Defined per system.
    static bool FileIsWritable(const std::string& path);

    bool m_writable = false;
    // Key paths below the root in lower case, joined by "\"; the root is "".
    std::set<std::string> m_keys;
    // Key path as in m_keys -> value name in lower case -> value.
    std::map<std::string, std::map<std::string, Value>> m_values;
};

} // namespace platform
