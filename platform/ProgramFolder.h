#pragma once

#include <string>

namespace platform {

// The folder that holds the running program file, without a trailing
// separator. Resolved once from the operating system; never empty on a
// working system ("." when the system cannot tell).
std::string ProgramFolder();

// The platform's path separator as text: "/" on POSIX, "\\" on Windows.
const char* PathSeparator();

// What the name of a program file ends with: "" on POSIX, ".exe" on
// Windows.
const char* ExecutableSuffix();

} // namespace platform
