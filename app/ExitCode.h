#pragma once

// What the program's exit code tells a deployment tool: the numbers the
// platform's own installer uses, so that software-distribution servers and
// management agents read them without being taught.
//
// Windows hands the whole number to the caller. A POSIX exit status keeps
// only its low 8 bits: on Linux 1602 arrives as 66 and 1603 as 67.
enum class ExitCode : int {
    // The installation is complete: no failure line in the log.
    Success = 0,
    // The command line was wrong; nothing was installed.
    InvalidCommandLine = 87,
    // A person cancelled: the window closed during the run, or Cancel in
    // the copy window or the extraction dialog.
    CancelledByUser = 1602,
    // At least one failure line, an entry left out, a run that could not
    // start or stopped on an error, or setup.log not saved.
    InstallationFailed = 1603,
};

inline int ProcessExitCode(ExitCode code) {
    return static_cast<int>(code);
}
