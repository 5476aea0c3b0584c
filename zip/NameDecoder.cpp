#include "zip/NameDecoder.h"

#include "platform/CodePage.h"

namespace zip {

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

} // namespace zip
