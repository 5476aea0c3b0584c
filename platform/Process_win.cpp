#include "platform/Process.h"

#include "platform/Win32Text.h"

#include <windows.h>

namespace platform {

namespace {

// CreateProcess may write into the command line it is given, so it gets a
// copy of its own; the program name is found in it by the Windows rules.
bool Start(const std::string& commandLine, PROCESS_INFORMATION& process) {
    if (const auto ansi = win::ToAnsiExact(commandLine)) {
        std::string line = *ansi;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        return ::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                &startup, &process) != 0;
    }
    std::wstring line = win::Widen(commandLine);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    return ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process) != 0;
}

} // namespace

int RunProgramAndWait(const std::string& commandLine, std::string& reason) {
    reason.clear();
    const std::vector<std::string> args = SplitCommandLine(commandLine);
    if (args.empty() || args[0].empty()) {
        reason = "The command line names no program";
        return -1;
    }
    PROCESS_INFORMATION process{};
    if (!Start(commandLine, process)) {
        reason = win::LastErrorText();
        return -1;
    }
    ::CloseHandle(process.hThread);
    DWORD exitCode = 0;
    const bool ended = ::WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
                       ::GetExitCodeProcess(process.hProcess, &exitCode);
    ::CloseHandle(process.hProcess);
    return ended ? static_cast<int>(exitCode) : -1;
}

} // namespace platform
