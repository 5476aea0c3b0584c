#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace localization {

// A read-only INI file read by the rules of the Windows profile-file reader
// (GetPrivateProfileStringA and GetPrivateProfileSectionNamesA), so that files
// made for the Windows program read the same here.
//
// The whole file is read into memory when the object is made; the object
// keeps no file open. Text is handed out as UTF-8: a file with a UTF-8 or
// UTF-16 byte-order mark, or one that is valid UTF-8, is taken as it is; any
// other file is decoded from `legacyCodePage` (a Windows code page number).
//
// The Windows rules this follows: a line whose first non-blank character is
// ";" is a comment; keys before the first section, text after a section's
// "]", and lines without "=" are never read; a key line splits at its first
// "=". When a section name occurs more than once only the first section of
// that name is read, and within a section the first of several equal keys
// wins. Blanks are space, tab and vertical tab. Section and key names match
// without regard to the case of Latin, Greek and Cyrillic letters.
class IniFile {
public:
    // Reads the file at `path` (UTF-8). A file that cannot be read gives an
    // empty IniFile whose Exists() is false; nothing is thrown. Only the first
    // 4 MiB of a larger file are read.
    explicit IniFile(const std::string& path, int legacyCodePage = 1252);

    // Parses INI text held in memory (for tests and fuzzing).
    static IniFile FromBytes(std::string_view bytes, int legacyCodePage = 1252);

    bool Exists() const { return m_exists; }

    // How the text was taken: "UTF-8", "UTF-8 with byte-order mark",
    // "UTF-16LE with byte-order mark", "UTF-16BE with byte-order mark", or
    // "code page N" for a file that is not UTF-8; empty for a file that
    // could not be read.
    const std::string& Encoding() const { return m_encoding; }

    // The section names in file order, duplicates included, as
    // GetPrivateProfileSectionNamesA returns them into a buffer of
    // `bufferSize` bytes: each name takes its length plus a terminating zero,
    // one byte is kept for the closing zero, and a name that does not fit is
    // left out together with every name after it. Length counts characters,
    // as each is one byte in the single-byte code pages. Sections named "[]"
    // are not listed.
    std::vector<std::string> SectionNames(std::size_t bufferSize = 16384) const;

    // True when a section of that name exists (letter case ignored).
    bool HasSection(std::string_view section) const;

    // The value of `key` in `section` as GetPrivateProfileStringA returns it
    // into a buffer of `bufferSize` characters: names match without regard to
    // letter case, blanks around the value are dropped, one pair of matching
    // quotes around it is removed, and the value is cut to bufferSize - 1
    // characters. `section` and `key` lose spaces (not tabs) at both ends.
    // When the section or key is missing, `defaultValue` without its trailing
    // spaces, cut the same way.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue = {},
                           std::size_t bufferSize = 2048) const;

private:
    struct Key {
        std::string name;
        std::optional<std::string> value; // a line without "=" has no value
    };
    struct Section {
        std::string name;
        std::vector<Key> keys;
    };

    IniFile() = default;
    void Parse(std::string_view bytes, int legacyCodePage);

    bool m_exists = false;
    std::string m_encoding;
    std::vector<Section> m_sections;
};

} // namespace localization
