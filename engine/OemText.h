#pragma once

#include <array>
#include <string>
#include <string_view>

namespace engine {

// Converts names stored in a DOS (OEM) code page to UTF-8, byte by byte.
class OemText {
public:
    // The OEM code page of the user's locale: 437 for US English (and the
    // C locale), 850 for Western Europe, 852 for Central Europe, 737 for
    // Greek, 866 for Cyrillic.
    static OemText ForLocale();
    explicit OemText(int codePage);

    int CodePage() const { return m_codePage; }
    std::string Decode(std::string_view bytes) const;

private:
    int m_codePage;
    // UTF-8 for bytes 0x80..0xFF; bytes the code page leaves undefined
    // become U+FFFD.
    std::array<std::string, 128> m_high;
};

// The OEM code page for a POSIX locale name such as "de_DE.UTF-8". Pure.
int OemCodePageForLocale(std::string_view localeName);

// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

} // namespace engine
