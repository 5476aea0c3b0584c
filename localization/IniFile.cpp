#include "localization/IniFile.h"

#include "platform/CodePage.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

namespace localization {

namespace {

// Files made for the Windows program are small; the cap keeps a huge or
// hostile file from exhausting memory.
constexpr std::size_t kMaxFileBytes = 4 * 1024 * 1024;

constexpr char32_t kReplacementChar = 0xFFFD;

// Blanks in the file around names and values: space, tab and vertical tab.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v';
}

std::string_view TrimLeadingBlanks(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && IsBlank(text[start])) {
        ++start;
    }
    return text.substr(start);
}

std::string_view TrimBlanks(std::string_view text) {
    text = TrimLeadingBlanks(text);
    std::size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) {
        --end;
    }
    return text.substr(0, end);
}

// Names passed by the caller lose spaces at both ends, but not tabs.
std::string_view TrimSpaces(std::string_view text) {
    std::size_t start = text.find_first_not_of(' ');
    if (start == std::string_view::npos) {
        return {};
    }
    std::size_t end = text.find_last_not_of(' ');
    return text.substr(start, end - start + 1);
}

// Reads the code point at `pos` and moves past it. A byte that does not
// start a well-formed sequence is returned as 0x110000 plus its value, so
// that different bad bytes stay different, and `pos` moves by one.
char32_t NextCodePoint(std::string_view text, std::size_t& pos) {
    auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byteAt(pos);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    char32_t value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    bool wellFormed = length != 0 && text.size() - pos >= length && byteAt(pos + 1) >= low &&
                      byteAt(pos + 1) <= high;
    for (std::size_t i = 2; wellFormed && i < length; ++i) {
        wellFormed = (byteAt(pos + i) & 0xC0) == 0x80;
    }
    if (!wellFormed) {
        ++pos;
        return 0x110000 + lead;
    }
    for (std::size_t i = 1; i < length; ++i) {
        value = (value << 6) | (byteAt(pos + i) & 0x3F);
    }
    pos += length;
    return value;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string ReplaceBadUtf8(std::string_view bytes) {
    if (platform::IsValidUtf8(bytes)) {
        return std::string(bytes);
    }
    std::string text;
    text.reserve(bytes.size());
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        char32_t c = NextCodePoint(bytes, pos);
        AppendUtf8(text, c > 0x10FFFF ? kReplacementChar : c);
    }
    return text;
}

// UTF-16 after its byte-order mark. A surrogate without its partner and an
// odd byte at the end become U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    auto unitAt = [&](std::size_t i) -> char32_t {
        auto first = static_cast<unsigned char>(bytes[i]);
        auto second = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (first << 8) | second : (second << 8) | first;
    };
    std::string text;
    text.reserve(bytes.size());
    std::size_t pos = 0;
    while (pos + 1 < bytes.size()) {
        char32_t unit = unitAt(pos);
        pos += 2;
        if (unit >= 0xD800 && unit <= 0xDBFF && pos + 1 < bytes.size()) {
            char32_t low = unitAt(pos);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                pos += 2;
                AppendUtf8(text, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                continue;
            }
        }
        AppendUtf8(text, unit >= 0xD800 && unit <= 0xDFFF ? kReplacementChar : unit);
    }
    if (pos < bytes.size()) {
        AppendUtf8(text, kReplacementChar);
    }
    return text;
}

std::string DecodeText(std::string_view bytes, int legacyCodePage, std::string& encoding) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        encoding = "UTF-8 with byte-order mark";
        return ReplaceBadUtf8(bytes.substr(3));
    }
    if (bytes.starts_with("\xFF\xFE")) {
        encoding = "UTF-16LE with byte-order mark";
        return Utf16ToUtf8(bytes.substr(2), false);
    }
    if (bytes.starts_with("\xFE\xFF")) {
        encoding = "UTF-16BE with byte-order mark";
        return Utf16ToUtf8(bytes.substr(2), true);
    }
    if (platform::IsValidUtf8(bytes)) {
        encoding = "UTF-8";
        return std::string(bytes);
    }
    encoding = "code page " + std::to_string(legacyCodePage);
    return platform::DecodeCodePage(bytes, legacyCodePage);
}

// Upper case for the letters of the scripts the Windows code pages carry:
// Latin-1, Latin Extended-A, Greek and Cyrillic. Both final and ordinary
// sigma map to capital sigma.
char32_t UpperCase(char32_t c) {
    if (c < 0x80) {
        return c >= 'a' && c <= 'z' ? c - 0x20 : c;
    }
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F)) {
        return c - 0x20;
    }
    if (c == 0xFF) {
        return 0x178;
    }
    bool evenIsUpper = (c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) ||
                       (c >= 0x14A && c <= 0x177) || (c >= 0x48A && c <= 0x4BF);
    bool oddIsUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((evenIsUpper && c % 2 == 1) || (oddIsUpper && c % 2 == 0)) {
        return c - 1;
    }
    constexpr std::pair<char32_t, char32_t> kGreekOthers[] = {
        {0x3C2, 0x3A3}, {0x3AC, 0x386}, {0x3AD, 0x388}, {0x3AE, 0x389},
        {0x3AF, 0x38A}, {0x3CC, 0x38C}, {0x3CD, 0x38E}, {0x3CE, 0x38F},
    };
    for (auto [lower, upper] : kGreekOthers) {
        if (c == lower) {
            return upper;
        }
    }
    if (c >= 0x450 && c <= 0x45F) {
        return c - 0x50;
    }
    return c;
}

bool NamesEqual(std::string_view a, std::string_view b) {
    std::size_t posA = 0;
    std::size_t posB = 0;
    while (posA < a.size() && posB < b.size()) {
        if (UpperCase(NextCodePoint(a, posA)) != UpperCase(NextCodePoint(b, posB))) {
            return false;
        }
    }
    return posA == a.size() && posB == b.size();
}

std::size_t CodePointCount(std::string_view text) {
    std::size_t count = 0;
    for (char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++count;
        }
    }
    return count;
}

// The value as it fits a buffer of `bufferSize` characters with its closing
// zero, cut between characters.
std::string FitToBuffer(std::string_view text, std::size_t bufferSize) {
    if (bufferSize == 0) {
        return {};
    }
    std::size_t left = bufferSize - 1;
    std::size_t end = 0;
    while (end < text.size()) {
        if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80) {
            if (left == 0) {
                break;
            }
            --left;
        }
        ++end;
    }
    return std::string(text.substr(0, end));
}

// One pair of the same quote mark at both ends is removed; a lone quote or
// quotes that differ stay.
std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

} // namespace

IniFile::IniFile(const std::string& path, int legacyCodePage) {
    try {
        std::filesystem::path filePath(std::u8string(path.begin(), path.end()));
        std::error_code error;
        if (!std::filesystem::is_regular_file(filePath, error)) {
            return;
        }
        std::uintmax_t size = std::filesystem::file_size(filePath, error);
        std::ifstream stream(filePath, std::ios::binary);
        if (error || !stream) {
            return;
        }
        std::string bytes(static_cast<std::size_t>(std::min<std::uintmax_t>(size, kMaxFileBytes)),
                          '\0');
        stream.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (stream.bad()) {
            return;
        }
        bytes.resize(static_cast<std::size_t>(stream.gcount()));
        m_exists = true;
        Parse(bytes, legacyCodePage);
    } catch (const std::exception&) {
        m_exists = false;
        m_sections.clear();
    }
}

IniFile IniFile::FromBytes(std::string_view bytes, int legacyCodePage) {
    IniFile file;
    file.m_exists = true;
    file.Parse(bytes, legacyCodePage);
    return file;
}

// The file is read line by line; CR LF, LF and a lone CR all end a line.
// After leading blanks a line is one of:
//   "[name]"     starts a section; the name ends at the first "]" or at the
//                end of the line, and anything after "]" is ignored;
//   ";..."       a comment;
//   "key=value"  a key of the current section, split at the first "=";
//   other text   kept as a key without value, which no read finds.
// Lines before the first section belong to none and cannot be read.
void IniFile::Parse(std::string_view bytes, int legacyCodePage) {
    const std::string text = DecodeText(bytes, legacyCodePage, m_encoding);
    const std::string_view all(text);
    Section* current = nullptr;
    std::size_t pos = 0;
    while (pos < all.size()) {
        std::size_t end = all.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            end = all.size();
        }
        std::string_view line = TrimLeadingBlanks(all.substr(pos, end - pos));
        pos = end + 1;
        if (end + 1 < all.size() && all[end] == '\r' && all[end + 1] == '\n') {
            ++pos;
        }

        if (line.empty()) {
            continue;
        }
        if (line.front() == '[') {
            std::string_view name = line.substr(1);
            name = name.substr(0, name.find(']'));
            m_sections.push_back(Section{std::string(TrimBlanks(name)), {}});
            current = &m_sections.back();
            continue;
        }
        if (current == nullptr || line.front() == ';') {
            continue;
        }
        std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            current->keys.push_back(Key{std::string(TrimBlanks(line)), std::nullopt});
            continue;
        }
        std::string_view value = Unquote(TrimBlanks(line.substr(equals + 1)));
        current->keys.push_back(
            Key{std::string(TrimBlanks(line.substr(0, equals))), std::string(value)});
    }
}

std::vector<std::string> IniFile::SectionNames(std::size_t bufferSize) const {
    std::vector<std::string> names;
    if (bufferSize == 0) {
        return names;
    }
    std::size_t room = bufferSize - 1;
    for (const Section& section : m_sections) {
        if (section.name.empty()) {
            continue;
        }
        std::size_t needed = CodePointCount(section.name) + 1;
        if (needed > room) {
            break;
        }
        room -= needed;
        names.push_back(section.name);
    }
    return names;
}

bool IniFile::HasSection(std::string_view section) const {
    section = TrimSpaces(section);
    for (const Section& candidate : m_sections) {
        if (NamesEqual(candidate.name, section)) {
            return true;
        }
    }
    return false;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue, std::size_t bufferSize) const {
    section = TrimSpaces(section);
    key = TrimSpaces(key);
    for (const Section& candidate : m_sections) {
        if (!NamesEqual(candidate.name, section)) {
            continue;
        }
        // Only the first section of a name is read; later ones of the same
        // name are ignored, as Windows does.
        for (const Key& entry : candidate.keys) {
            if (entry.value && NamesEqual(entry.name, key)) {
                return FitToBuffer(*entry.value, bufferSize);
            }
        }
        break;
    }
    std::size_t end = defaultValue.find_last_not_of(' ');
    return FitToBuffer(defaultValue.substr(0, end == std::string_view::npos ? 0 : end + 1),
                       bufferSize);
}

} // namespace localization
