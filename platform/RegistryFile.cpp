#include "platform/RegistryFile.h"

#include "platform/CodePage.h"
#include "platform/FileSystem.h"

#include <cstdint>
#include <filesystem>
#include <system_error>
#include <utility>

namespace platform {

namespace {

constexpr std::string_view kHeaderVersion5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeaderVersion4 = "REGEDIT4";
constexpr char32_t kReplacementChar = 0xFFFD;

// Registry value types that hold text; every other type number is data the
// caller cannot read as a string.
constexpr unsigned long kTypeString = 1;       // REG_SZ
constexpr unsigned long kTypeExpandString = 2; // REG_EXPAND_SZ

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimLeading(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

std::string_view Trim(std::string_view text) {
    text = TrimLeading(text);
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

char FoldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string FoldCase(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        c = FoldAscii(c);
    }
    return folded;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// A number of one to eight hex digits, as in "dword:0000001f" and "hex(b)".
std::optional<unsigned long> ParseHexNumber(std::string_view digits) {
    if (digits.empty() || digits.size() > 8) {
        return std::nullopt;
    }
    unsigned long number = 0;
    for (char c : digits) {
        const int digit = HexDigitValue(c);
        if (digit < 0) {
            return std::nullopt;
        }
        number = number * 16 + static_cast<unsigned long>(digit);
    }
    return number;
}

// A comma-separated list of two-digit hex bytes, as in "41,00,42,00"; an
// empty list is no bytes.
std::optional<std::string> ParseHexBytes(std::string_view list) {
    std::string bytes;
    list = Trim(list);
    if (list.empty()) {
        return bytes;
    }
    for (;;) {
        const std::size_t comma = list.find(',');
        const std::string_view item = Trim(list.substr(0, comma));
        if (item.size() != 2) {
            return std::nullopt;
        }
        const int high = HexDigitValue(item[0]);
        const int low = HexDigitValue(item[1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<char>(high * 16 + low));
        if (comma == std::string_view::npos) {
            return bytes;
        }
        list.remove_prefix(comma + 1);
    }
}

void AppendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

// UTF-16LE to UTF-8. A surrogate without its partner becomes U+FFFD; a last
// odd byte is dropped.
std::string DecodeUtf16Le(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    auto unitAt = [&](std::size_t i) {
        return static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    };
    const std::size_t end = bytes.size() & ~std::size_t{1};
    for (std::size_t i = 0; i < end; i += 2) {
        const char16_t unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 2 < end) {
            const char16_t next = unitAt(i + 2);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                AppendUtf8(out,
                           0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(next) - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendUtf8(out, unit >= 0xD800 && unit <= 0xDFFF ? kReplacementChar : char32_t(unit));
    }
    return out;
}

std::string Utf8OrCodePage1252(std::string_view bytes) {
    return IsValidUtf8(bytes) ? std::string(bytes) : DecodeCodePage(bytes, CpAnsiWestern);
}

// The whole file as UTF-8 text: the registry editor exports UTF-16LE with a
// byte-order mark; hand-made and REGEDIT4 files are UTF-8 or code page 1252.
std::string DecodeFileText(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE")) {
        return DecodeUtf16Le(bytes.substr(2));
    }
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
    }
    return Utf8OrCodePage1252(bytes);
}

std::string CutAtZero(std::string text) {
    const std::size_t zero = text.find('\0');
    if (zero != std::string::npos) {
        text.resize(zero);
    }
    return text;
}

// The text of a hex(1) or hex(2) byte list: the registry's own UTF-16LE in
// version 5.00 files, where an odd number of bytes cannot be text; the bytes
// of the system code page in REGEDIT4 files.
std::optional<std::string> DecodeTextBytes(std::string_view bytes, bool utf16) {
    if (utf16) {
        if (bytes.size() % 2 != 0) {
            return std::nullopt;
        }
        return CutAtZero(DecodeUtf16Le(bytes));
    }
    return Utf8OrCodePage1252(CutAtZero(std::string(bytes)));
}

// Key paths as the caller and the file give them, made into the form kept
// in the key set: lower case, without the outer backslashes. nullopt when a
// key name in it is empty.
std::optional<std::string> NormalizeKeyPath(std::string_view path) {
    if (path.starts_with('\\')) {
        path.remove_prefix(1);
    }
    if (path.empty()) {
        return std::string();
    }
    if (path.ends_with('\\')) {
        path.remove_suffix(1);
    }
    if (path.empty() || path.starts_with('\\') || path.ends_with('\\') ||
        path.find("\\\\") != std::string_view::npos) {
        return std::nullopt;
    }
    return FoldCase(path);
}

// The key of a "[HKEY_LOCAL_MACHINE\...]" line, which starts with "[". Only
// the last "]" closes it, as key names may hold "]". nullopt for deletions,
// other roots and broken lines.
std::optional<std::string> ParseKeyLine(std::string_view line) {
    if (line.size() < 2 || !line.ends_with(']')) {
        return std::nullopt;
    }
    const std::string_view inner = line.substr(1, line.size() - 2);
    const std::size_t slash = inner.find('\\');
    const std::string_view root = inner.substr(0, slash);
    if (!EqualsIgnoringCase(root, "HKEY_LOCAL_MACHINE") && !EqualsIgnoringCase(root, "HKLM")) {
        return std::nullopt;
    }
    return NormalizeKeyPath(slash == std::string_view::npos ? std::string_view()
                                                            : inner.substr(slash));
}

struct QuotedText {
    std::string text;
    std::size_t end = 0; // index just past the closing quote
};

// A quoted name or string starting at line[start] == '"'. Only \\ and \"
// are escapes; any other backslash stands for itself. The closing quote must
// be on the same line.
std::optional<QuotedText> ParseQuoted(std::string_view line, std::size_t start) {
    QuotedText quoted;
    for (std::size_t i = start + 1; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            quoted.end = i + 1;
            return quoted;
        }
        if (c == '\\' && i + 1 < line.size() && (line[i + 1] == '\\' || line[i + 1] == '"')) {
            ++i;
        }
        quoted.text.push_back(line[i]);
    }
    return std::nullopt;
}

// Typed data such as "dword:0000001f", "hex:01,02" or "hex(2):41,00,00,00".
std::optional<std::pair<bool, std::string>> ParseTypedData(std::string_view data, bool utf16Text) {
    const std::size_t colon = data.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view type = data.substr(0, colon);
    const std::string_view rest = data.substr(colon + 1);
    if (EqualsIgnoringCase(type, "dword")) {
        if (!ParseHexNumber(Trim(rest))) {
            return std::nullopt;
        }
        return std::pair{false, std::string()};
    }
    std::optional<unsigned long> typeNumber;
    if (EqualsIgnoringCase(type, "hex")) {
        typeNumber = 3; // REG_BINARY
    } else if (StartsWithIgnoringCase(type, "hex(") && type.ends_with(')')) {
        typeNumber = ParseHexNumber(type.substr(4, type.size() - 5));
    }
    if (!typeNumber) {
        return std::nullopt;
    }
    const std::optional<std::string> bytes = ParseHexBytes(rest);
    if (!bytes) {
        return std::nullopt;
    }
    if (*typeNumber != kTypeString && *typeNumber != kTypeExpandString) {
        return std::pair{false, std::string()};
    }
    std::optional<std::string> text = DecodeTextBytes(*bytes, utf16Text);
    if (!text) {
        return std::nullopt;
    }
    return std::pair{true, std::move(*text)};
}

class LineReader {
public:
    explicit LineReader(std::string_view text) : m_text(text) {}

    bool AtEnd() const { return m_pos >= m_text.size(); }

    std::string_view Peek() const {
        std::size_t next = 0;
        return LineAt(m_pos, next);
    }

    std::string_view Next() {
        std::size_t next = 0;
        const std::string_view line = LineAt(m_pos, next);
        m_pos = next;
        return line;
    }

private:
    std::string_view LineAt(std::size_t pos, std::size_t& next) const {
        if (pos >= m_text.size()) {
            next = m_text.size();
            return {};
        }
        const std::size_t newline = m_text.find('\n', pos);
        const std::size_t end = newline == std::string_view::npos ? m_text.size() : newline;
        next = newline == std::string_view::npos ? m_text.size() : newline + 1;
        std::string_view line = m_text.substr(pos, end - pos);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        return line;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

// Whether a line carries on the byte list of the line before it; one that
// could start a key or a value of its own never does, so a list cut short
// does not swallow what follows it.
bool IsContinuation(std::string_view line) {
    line = Trim(line);
    return !line.empty() && line.front() != '[' && line.front() != '"' && line.front() != '@' &&
           line.front() != ';';
}

struct ValueLine {
    std::string name;
    bool deleted = false;
    bool isString = false;
    std::string text;
};

// A value line, which starts with '"' or '@'. Byte lists continued on
// following lines take those lines from `lines`.
std::optional<ValueLine> ParseValueLine(std::string_view line, LineReader& lines, bool utf16Text) {
    ValueLine value;
    std::size_t nameEnd = 1;
    if (line.front() == '"') {
        std::optional<QuotedText> name = ParseQuoted(line, 0);
        if (!name) {
            return std::nullopt;
        }
        value.name = std::move(name->text);
        nameEnd = name->end;
    }
    const std::string_view afterName = TrimLeading(line.substr(nameEnd));
    if (!afterName.starts_with('=')) {
        return std::nullopt;
    }
    const std::string_view data = Trim(afterName.substr(1));
    if (data == "-") {
        value.deleted = true;
        return value;
    }
    if (data.starts_with('"')) {
        std::optional<QuotedText> text = ParseQuoted(data, 0);
        if (!text || !Trim(data.substr(text->end)).empty()) {
            return std::nullopt;
        }
        value.isString = true;
        value.text = CutAtZero(std::move(text->text));
        return value;
    }
    std::string joined(data);
    while (joined.ends_with('\\') && IsContinuation(lines.Peek())) {
        joined.pop_back();
        joined += Trim(lines.Next());
    }
    std::optional<std::pair<bool, std::string>> typed = ParseTypedData(joined, utf16Text);
    if (!typed) {
        return std::nullopt;
    }
    value.isString = typed->first;
    value.text = std::move(typed->second);
    return value;
}

} // namespace

RegistryFile::RegistryFile(const std::string& path) {
    const std::filesystem::path filePath(std::u8string(path.begin(), path.end()));
    std::error_code error;
    if (!std::filesystem::is_regular_file(filePath, error)) {
        return;
    }
    const std::uintmax_t size = std::filesystem::file_size(filePath, error);
    if (error || size > kMaxFileBytes) {
        return;
    }
    std::string contents;
    std::string reason;
    if (!ReadWholeFile(path, contents, reason) || contents.size() > kMaxFileBytes) {
        return;
    }
    m_writable = FileIsWritable(path);
    Parse(contents);
}

RegistryFile RegistryFile::FromBytes(std::string_view bytes, bool writable) {
    RegistryFile file;
    file.m_writable = writable;
    file.Parse(bytes);
    return file;
}

KeyAccess RegistryFile::OpenKey(std::string_view keyPath) const {
    const std::optional<std::string> key = NormalizeKeyPath(keyPath);
    if (!key || !m_keys.contains(*key)) {
        return KeyAccess::NotFound;
    }
    return m_writable ? KeyAccess::Full : KeyAccess::ReadOnly;
}

std::optional<std::string> RegistryFile::ReadString(std::string_view keyPath,
                                                    std::string_view valueName) const {
    const std::optional<std::string> key = NormalizeKeyPath(keyPath);
    if (!key) {
        return std::nullopt;
    }
    const auto values = m_values.find(*key);
    if (values == m_values.end()) {
        return std::nullopt;
    }
    const auto value = values->second.find(FoldCase(valueName));
    if (value == values->second.end()) {
        return std::nullopt;
    }
    if (!value->second.isString) {
        throw RegistryError("Invalid data type for '" + std::string(valueName) + "'");
    }
    return value->second.text;
}

void RegistryFile::Parse(std::string_view bytes) {
    const std::string text = DecodeFileText(bytes);
    LineReader lines(text);
    const std::string_view header = Trim(lines.Next());
    if (header != kHeaderVersion5 && header != kHeaderVersion4) {
        return;
    }
    const bool utf16Text = header == kHeaderVersion5;

    std::optional<std::string> currentKey;
    while (!lines.AtEnd()) {
        const std::string_view line = Trim(lines.Next());
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            currentKey = ParseKeyLine(line);
            if (currentKey) {
                std::string key = *currentKey;
                m_keys.insert(key);
                for (std::size_t slash = key.rfind('\\'); slash != std::string::npos;
                     slash = key.rfind('\\')) {
                    key.resize(slash);
                    m_keys.insert(key);
                }
                m_keys.insert(std::string());
            }
            continue;
        }
        if (line.front() != '"' && line.front() != '@') {
            continue;
        }
        std::optional<ValueLine> value = ParseValueLine(line, lines, utf16Text);
        if (!value || !currentKey) {
            continue;
        }
        std::map<std::string, Value>& values = m_values[*currentKey];
        std::string name = FoldCase(value->name);
        if (value->deleted) {
            values.erase(name);
        } else {
            values[std::move(name)] = Value{value->isString, std::move(value->text)};
        }
    }
}

} // namespace platform
