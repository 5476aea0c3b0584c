#include "platform/SystemFolder.h"

#include "platform/Win32Text.h"

#include <windows.h>

#include <cstdlib>

namespace platform {

// VG_SYSTEM_DIR stands in for the system folder in the demo and the tests,
// as on Linux.
std::string SystemFolder() {
    std::string folder;
    if (const char* chosen = std::getenv("VG_SYSTEM_DIR"); chosen != nullptr && *chosen != '\0') {
        folder = win::FromAnsi(chosen);
    } else {
        char buffer[MAX_PATH + 1] = {};
        const UINT length = ::GetSystemDirectoryA(buffer, sizeof buffer);
        if (length > 0 && length < sizeof buffer) {
            folder = win::FromAnsi(std::string_view(buffer, length));
        }
    }
    while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) {
        folder.pop_back();
    }
    return folder;
}

const char* LibraryFilePattern() {
    return "*.dll";
}

} // namespace platform
