#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Splits a command line into arguments by the Windows rules: blanks and tabs
// separate arguments; the program name (first argument) runs to the next
// blank, or from an opening double quote to the next one; in the other
// arguments double quotes group, 2n backslashes before a quote give n
// backslashes and a grouping quote, 2n+1 give n backslashes and a literal
// quote, and "" inside a group is a literal quote.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// Starts the program the command line names, directly (no shell), with the
// caller's environment and current folder, and waits until it ends. Returns
// its exit code; 128 + the signal number when a signal ended it; -1 when it
// cannot be started (no such program, not executable, empty command line);
// `reason` then tells why, in the system's words (for example that the file
// is no program for this system).
int RunProgramAndWait(const std::string& commandLine, std::string& reason);
inline int RunProgramAndWait(const std::string& commandLine) {
    std::string reason;
    return RunProgramAndWait(commandLine, reason);
}

} // namespace platform
