#pragma once

#include <string>

namespace platform {

// The folder the shipped libraries are copied into: on Linux the folder named
// by VG_SYSTEM_DIR when that is set and not empty, else "/usr/local/lib"; on
// Windows the system folder. No trailing separator.
std::string SystemFolder();

// The file name pattern of shared libraries: "*.so" on Linux, "*.dll" on
// Windows.
const char* LibraryFilePattern();

} // namespace platform
