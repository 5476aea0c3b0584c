// Making the folders above a file, on either platform's paths.

#include <string>

#include "platform/Directory.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFolder.h"

namespace platform {

bool CreateParentFolders(const std::string& path, std::string& reason) {
    const std::string separators = std::string("/") + PathSeparator();
    std::size_t start = 0;
    // A network path's server and share ("\\server\share\...") are no
    // folders to make.
    if (path.size() > 2 && separators.find(path[0]) != std::string::npos && path[1] == path[0]) {
        start = path.find_first_of(separators, 2);
        start = start == std::string::npos ? path.size() : path.find_first_of(separators, start + 1);
    }
    for (std::size_t end = path.find_first_of(separators, start); end != std::string::npos;
         end = path.find_first_of(separators, end + 1)) {
        const std::string folder = path.substr(0, end);
        // The root, a drive ("C:") and a doubled separator are no folders
        // to make.
        if (folder.empty() || folder.back() == ':' || separators.find(folder.back()) != std::string::npos ||
            DirectoryExists(folder)) {
            continue;
        }
        if (!CreateFolder(folder) && !DirectoryExists(folder)) {
            reason = "The folder \"" + folder + "\" cannot be created.";
            return false;
        }
    }
    return true;
}

} // namespace platform
