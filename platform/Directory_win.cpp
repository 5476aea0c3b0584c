#include "platform/Directory.h"

#include "platform/Win32Text.h"

#include <windows.h>

#include <optional>

namespace platform {

namespace {

struct Found {
    std::string name;
    bool isDirectory = false;
};

// Every entry of the folder (its path ends in a separator or drive colon, or
// is empty for the current folder). nullopt when an "A" name came back with
// "?": the ANSI code page lacks a character of it ("?" is never part of a
// Windows file name), so the listing has to be made with the "W" calls.
std::optional<std::vector<Found>> ListAnsi(const std::string& folder) {
    std::vector<Found> found;
    const auto pattern = win::ToAnsiExact(folder + "*");
    if (!pattern) {
        return std::nullopt;
    }
    WIN32_FIND_DATAA data{};
    HANDLE search = ::FindFirstFileA(pattern->c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) {
        return found;
    }
    bool lossy = false;
    do {
        const std::string_view name = data.cFileName;
        if (name.find('?') != std::string_view::npos) {
            lossy = true;
            break;
        }
        found.push_back(
            {win::FromAnsi(name), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (::FindNextFileA(search, &data));
    ::FindClose(search);
    if (lossy) {
        return std::nullopt;
    }
    return found;
}

std::vector<Found> ListWide(const std::string& folder) {
    std::vector<Found> found;
    WIN32_FIND_DATAW data{};
    HANDLE search = ::FindFirstFileW(win::Widen(folder + "*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) {
        return found;
    }
    do {
        found.push_back(
            {win::Narrow(data.cFileName), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (::FindNextFileW(search, &data));
    ::FindClose(search);
    return found;
}

// Upper case as the file system compares names, so that matching ignores
// letter case as Windows does (also beyond ASCII: "é" matches "É").
std::string FoldCase(std::string_view text) {
    std::wstring wide = win::Widen(text);
    if (!wide.empty()) {
        ::CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    }
    return win::Narrow(wide);
}

} // namespace

// The folder is listed whole and the names are matched here rather than by
// the system: a pattern given to FindFirstFile also matches the 8.3 short
// names ("*.dll" would find "setup.dllx" by its short name "SETUP~1.DLL")
// and lets "?" match no character before a dot.
std::vector<DirEntry> EnumerateMatches(const std::string& pattern) {
    std::vector<DirEntry> entries;
    const auto cut = pattern.find_last_of("\\/");
    std::size_t folderLength = cut == std::string::npos ? 0 : cut + 1;
    if (folderLength == 0 && pattern.size() >= 2 && pattern[1] == ':') {
        folderLength = 2;
    }
    const std::string folder = pattern.substr(0, folderLength);
    const std::string mask = FoldCase(pattern.substr(folderLength));
    if (mask.empty()) {
        return entries;
    }
    std::optional<std::vector<Found>> listing = ListAnsi(folder);
    if (!listing) {
        listing = ListWide(folder);
    }
    for (Found& entry : *listing) {
        if (entry.name == "." || entry.name == ".." ||
            !MatchesWildcard(FoldCase(entry.name), mask)) {
            continue;
        }
        entries.push_back({entry.name, folder + entry.name, entry.isDirectory});
    }
    return entries;
}

bool CreateFolder(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    if (const auto ansi = win::ToAnsiExact(path)) {
        return ::CreateDirectoryA(ansi->c_str(), nullptr) != 0;
    }
    return ::CreateDirectoryW(win::Widen(path).c_str(), nullptr) != 0;
}

} // namespace platform
