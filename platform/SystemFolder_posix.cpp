#include "platform/SystemFolder.h"

#include <cstdlib>

namespace platform {

std::string SystemFolder() {
    const char* chosen = std::getenv("VG_SYSTEM_DIR");
    std::string folder = (chosen != nullptr && *chosen != '\0') ? chosen : "/usr/local/lib";
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}

const char* LibraryFilePattern() {
    return "*.so";
}

} // namespace platform
