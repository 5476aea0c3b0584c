#include "engine/EntryName.h"

#include "platform/CodePage.h"
#include "zipformat/ZipFormat.h"

namespace engine {

using namespace zipformat;

std::string DecodeEntryName(const CentralDirectory& directory, const Entry& entry,
                            zipformat::NameDecoder& names) {
    const auto& entries = directory.Entries();
    const bool oemNames = !entries.empty() && OemNamesFor(entries.front().versionMadeBy);
    std::string_view unicode = directory.UnicodeName(entry);
    if (!platform::IsValidUtf8(unicode)) {
        unicode = {};
    }
    return DecodeEntryText(names, directory.StoredName(entry), entry.flags, unicode, oemNames);
}

namespace {

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool EqualsIgnoringCase(std::string_view text, std::string_view upper) {
    if (text.size() != upper.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        if (c != upper[i]) {
            return false;
        }
    }
    return true;
}

// Windows opens the device, not a file, for these names whatever follows
// the first dot, and ignores spaces before that dot; leading spaces are
// ignored here too, to be safe. COM and LPT take a digit or a superscript
// 1, 2 or 3.
bool IsWindowsDeviceName(std::string_view part) {
    std::string_view base = part.substr(0, part.find('.'));
    while (!base.empty() && base.back() == ' ') {
        base.remove_suffix(1);
    }
    while (!base.empty() && base.front() == ' ') {
        base.remove_prefix(1);
    }
    for (std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
        if (EqualsIgnoringCase(base, device)) {
            return true;
        }
    }
    if (base.size() < 4 || !(EqualsIgnoringCase(base.substr(0, 3), "COM") ||
                             EqualsIgnoringCase(base.substr(0, 3), "LPT"))) {
        return false;
    }
    std::string_view number = base.substr(3);
    return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\xC2\xB9" ||
           number == "\xC2\xB2" || number == "\xC2\xB3";
}

std::string CheckWindowsPart(std::string_view part) {
    std::string quoted = "\"" + std::string(part) + "\"";
    if (part.find(':') != std::string_view::npos) {
        return "the part " + quoted + " contains \":\", which names a stream or a drive on Windows";
    }
    if (auto bad = part.find_first_of("<>\"|?*"); bad != std::string_view::npos) {
        return "the part " + quoted + " contains \"" + part[bad] +
               "\", which Windows does not allow in names";
    }
    if (IsWindowsDeviceName(part)) {
        return "the part " + quoted + " is a device name on Windows";
    }
    if (part.back() == '.' || part.back() == ' ') {
        return "the part " + quoted + " ends with a dot or a space, which Windows drops";
    }
    return {};
}

} // namespace

std::string SplitEntryName(std::string_view name, EntryPath& path, NameRules rules) {
    path = EntryPath{};
    if (name.empty()) {
        return "the name is empty";
    }
    for (char c : name) {
        if (c == '\0') {
            return "the name contains a NUL byte";
        }
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            return "the name contains a control character";
        }
    }
    if (name.size() >= 2 && IsSeparator(name[0]) && IsSeparator(name[1])) {
        return "the name is a network path";
    }
    if (IsSeparator(name[0])) {
        return "the name is an absolute path";
    }
    if (name.size() >= 2 && IsAsciiLetter(name[0]) && name[1] == ':') {
        return "the name starts with a drive letter";
    }
    path.isFolder = IsSeparator(name.back());
    if (path.isFolder) {
        name.remove_suffix(1);
    }
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = start;
        while (end < name.size() && !IsSeparator(name[end])) {
            ++end;
        }
        std::string_view part = name.substr(start, end - start);
        if (part.empty()) {
            return "the name has an empty part";
        }
        if (part == "..") {
            return "the name leads out of the extraction folder";
        }
        if (part != ".") {
            if (rules == NameRules::Windows) {
                std::string refusal = CheckWindowsPart(part);
                if (!refusal.empty()) {
                    return refusal;
                }
            }
            parts.emplace_back(part);
        }
        start = end + 1;
    }
    if (parts.empty() && !path.isFolder) {
        return "the name names the extraction folder itself";
    }
    if (!path.isFolder) {
        path.leaf = std::move(parts.back());
        parts.pop_back();
    }
    path.folders = std::move(parts);
    return {};
}

std::string DisplayName(std::string_view name) {
    std::string shown(name);
    for (char& c : shown) {
        if (c == '/') {
            c = '\\';
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            c = '?';
        }
    }
    return shown;
}

namespace {

char Fold(char c) {
    if (c >= 'A' && c <= 'Z') {
        return static_cast<char>(c - 'A' + 'a');
    }
    return c == '\\' ? '/' : c;
}

// Iterative wildcard match with one backtracking point per "*".
bool Matches(std::string_view name, std::string_view pattern) {
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t starPattern = std::string_view::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starPattern = p++;
            starName = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || Fold(pattern[p]) == Fold(name[n]))) {
            ++p;
            ++n;
        } else if (starPattern != std::string_view::npos) {
            p = starPattern + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

} // namespace

bool MatchesFileSpec(std::string_view name, std::string_view pattern) {
    if (Matches(name, pattern)) {
        return true;
    }
    // A folder pattern, with or without its trailing separator, selects the
    // folder's contents.
    std::string folder(pattern);
    if (folder.empty()) {
        return false;
    }
    if (!IsSeparator(folder.back())) {
        folder += '/';
    }
    folder += '*';
    return Matches(name, folder);
}

} // namespace engine
