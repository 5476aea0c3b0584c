#include "platform/Directory.h"

#include <dirent.h>
#include <sys/stat.h>

namespace platform {

std::vector<DirEntry> EnumerateMatches(const std::string& pattern) {
    std::vector<DirEntry> entries;
    const auto slash = pattern.find_last_of('/');
    const std::string folderPart = slash == std::string::npos ? std::string() : pattern.substr(0, slash + 1);
    const std::string mask = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
    if (mask.empty()) {
        return entries;
    }
    DIR* dir = ::opendir(folderPart.empty() ? "." : folderPart.c_str());
    if (dir == nullptr) {
        return entries;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == ".." || !MatchesWildcard(name, mask)) {
            continue;
        }
        DirEntry found{name, folderPart + name, false};
        struct stat info {};
        if (::stat(found.path.c_str(), &info) == 0) {
            found.isDirectory = S_ISDIR(info.st_mode);
        }
        entries.push_back(std::move(found));
    }
    ::closedir(dir);
    return entries;
}

bool CreateFolder(const std::string& path) {
    return !path.empty() && ::mkdir(path.c_str(), 0755) == 0;
}

} // namespace platform
