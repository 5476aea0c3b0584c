#include "zipformat/NameDecoder.h"

#include "platform/CodePage.h"
#include "zipformat/ZipFormat.h"

namespace zipformat {

namespace {

bool IsAscii(std::string_view bytes) {
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

} // namespace

NameDecoder::NameDecoder(int oemCodePage, int ansiCodePage)
    : m_oemCodePage(oemCodePage), m_ansiCodePage(ansiCodePage) {}

std::string NameDecoder::FromOem(std::string_view bytes) {
    if (IsAscii(bytes)) {
        return std::string(bytes);
    }
    if (!m_oemReady) {
        Fill(m_oem, m_oemCodePage);
        m_oemReady = true;
    }
    return Convert(bytes, m_oem);
}

std::string NameDecoder::AsStored(std::string_view bytes) {
    if (platform::IsValidUtf8(bytes)) {
        return std::string(bytes);
    }
    if (!m_ansiReady) {
        Fill(m_ansi, m_ansiCodePage);
        m_ansiReady = true;
    }
    return Convert(bytes, m_ansi);
}

// Every code page the component meets agrees with ASCII below 0x80, so only
// the upper half needs a table.
void NameDecoder::Fill(Table& table, int codePage) {
    for (std::size_t i = 0; i < table.size(); ++i) {
        const char byte = static_cast<char>(0x80 + i);
        table[i] = platform::DecodeCodePage(std::string_view(&byte, 1), codePage);
    }
}

std::string NameDecoder::Convert(std::string_view bytes, const Table& table) {
    std::string text;
    text.reserve(bytes.size() * 2);
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text += c;
        } else {
            text += table[byte - 0x80];
        }
    }
    return text;
}

bool OemNamesFor(std::uint16_t versionMadeBy) {
    const unsigned host = versionMadeBy >> 8;
    const unsigned format = versionMadeBy & 0xFF;
    return host == kHostFat || host == kHostHpfs || (host == kHostNtfs && format == 50);
}

namespace {

std::uint32_t NameCrc32(std::string_view bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

std::uint16_t Le16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

} // namespace

std::string_view UnicodePath(std::string_view extraField, std::string_view storedName) {
    std::size_t at = 0;
    while (extraField.size() - at >= 4) {
        const std::uint16_t tag = Le16(extraField, at);
        const std::size_t length = Le16(extraField, at + 2);
        if (length > extraField.size() - at - 4) {
            break;
        }
        const std::string_view data = extraField.substr(at + 4, length);
        if (tag == kExtraUnicodePath && length > 5 && data[0] == 1) {
            const std::uint32_t crc = static_cast<std::uint32_t>(Le16(data, 1)) |
                                      (static_cast<std::uint32_t>(Le16(data, 3)) << 16);
            const std::string_view path = data.substr(5);
            if (crc == NameCrc32(storedName) && platform::IsValidUtf8(path)) {
                return path;
            }
        }
        at += 4 + length;
    }
    return {};
}

std::string DecodeEntryText(NameDecoder& decoder, std::string_view stored, std::uint16_t flags,
                            std::string_view unicodePath, bool oemNames) {
    if (!unicodePath.empty()) {
        return std::string(unicodePath);
    }
    if ((flags & kFlagUtf8) != 0 && platform::IsValidUtf8(stored)) {
        return std::string(stored);
    }
    return oemNames ? decoder.FromOem(stored) : decoder.AsStored(stored);
}

} // namespace zipformat
