#include "engine/EntryName.h"

#include "engine/ZipFormat.h"

namespace engine {

using namespace zipformat;

std::string DecodeEntryName(const CentralDirectory& directory, const Entry& entry,
                            const OemText& oem) {
    std::string_view unicode = directory.UnicodeName(entry);
    if (!unicode.empty() && IsValidUtf8(unicode)) {
        return std::string(unicode);
    }
    std::string_view stored = directory.StoredName(entry);
    bool dosHost = entry.Host() == kHostFat || entry.Host() == kHostHpfs ||
                   entry.Host() == kHostNtfs || entry.Host() == kHostVfat;
    bool utf8 = (entry.flags & kFlagUtf8) != 0 || !dosHost;
    if (utf8 && IsValidUtf8(stored)) {
        return std::string(stored);
    }
    return oem.Decode(stored);
}

namespace {

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

} // namespace

std::string SplitEntryName(std::string_view name, EntryPath& path) {
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
