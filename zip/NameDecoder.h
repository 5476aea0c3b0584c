#pragma once

#include <array>
#include <string>
#include <string_view>

namespace zip {

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

} // namespace zip
