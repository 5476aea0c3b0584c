#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zipformat {

// Turns the texts stored in an archive (entry names and comments) into
// UTF-8. Code pages are converted byte for byte, as Windows converts OEM
// names, through a table built on first use; a byte the code page leaves
// undefined becomes U+FFFD. Never throws for any input.
class NameDecoder {
public:
    NameDecoder(int oemCodePage, int ansiCodePage);

    // Text in the OEM code page.
    std::string FromOem(std::string_view bytes);
    // Text taken as stored: kept when it is well-formed UTF-8 (which ASCII
    // is), otherwise read in the ANSI code page.
    std::string AsStored(std::string_view bytes);

private:
    using Table = std::array<std::string, 128>;
    static std::string Convert(std::string_view bytes, const Table& table);
    static void Fill(Table& table, int codePage);

    int m_oemCodePage;
    int m_ansiCodePage;
    Table m_oem;
    Table m_ansi;
    bool m_oemReady = false;
    bool m_ansiReady = false;
};

// Whether an archive stores its names and comments in the OEM code page,
// decided once for the whole archive from the "version made by" of its
// first central header: written on MS-DOS (FAT, host 0) or OS/2 (HPFS, host
// 6), or on Windows NTFS (host 11) by PKZIP 5.0 (format version 50).
bool OemNamesFor(std::uint16_t versionMadeBy);

// The Info-ZIP Unicode path of an entry (extra field 0x7075: version 1, the
// CRC-32 of the stored name, then the name in UTF-8), when `extraField`
// holds one for `storedName` that is well-formed UTF-8; empty otherwise (a
// field whose CRC does not match was written for another name).
std::string_view UnicodePath(std::string_view extraField, std::string_view storedName);

// An entry name (or comment, with an empty `unicodePath`) in UTF-8, by one
// rule for the archive component and the engine: the Unicode path when
// there is one; the stored bytes when general purpose bit 11 marks them as
// UTF-8 and they are; the OEM code page for an archive of OEM names; else
// the stored bytes as they are when well-formed UTF-8, or in the ANSI code
// page.
std::string DecodeEntryText(NameDecoder& decoder, std::string_view stored, std::uint16_t flags,
                            std::string_view unicodePath, bool oemNames);

} // namespace zipformat
