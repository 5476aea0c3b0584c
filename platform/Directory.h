#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One directory entry found by EnumerateMatches.
struct DirEntry {
    std::string name;     // the entry's name, without folder
    std::string path;     // folder part of the pattern + name
    bool isDirectory = false;
};

// The entries matching `pattern`, like the Windows file enumeration: the
// last path part may hold the wildcards "*" (any run of characters, also
// none) and "?" (one character); "*.*" matches every name. Every kind of
// entry matches: files, folders, hidden (dot) files, links and the rest;
// "." and ".." are never entries. Names match exactly as the file system
// stores them (on Linux letter case counts). A folder that cannot be read
// gives no entries. Entries come in no particular order.
std::vector<DirEntry> EnumerateMatches(const std::string& pattern);

// Whether `name` matches the wildcard `mask` ("*" and "?"), character by
// character (UTF-8 sequences count as one character for "?").
bool MatchesWildcard(std::string_view name, std::string_view mask);

// Creates one folder level. False when it could not be created (also when it
// exists already).
bool CreateFolder(const std::string& path);

// Makes every folder above the file `path` that does not exist yet. False
// when one cannot be made; `reason` then names it.
bool CreateParentFolders(const std::string& path, std::string& reason);

} // namespace platform
