#pragma once

#include <string>
#include <vector>

// How the program runs: clicked through by a person, or unattended for a
// deployment tool.
enum class RunMode {
    // The window waits for the user's clicks.
    Interactive,
    // No window at all (no display needed): the installation runs as Start
    // does, then what Finish does, and the program ends.
    Quiet,
    // The window shows the run on its progress page, no question waits for
    // a person, and the window closes itself at the end.
    Passive,
};

// The program's own command-line options. Each is written "/name" or
// "--name" in any letter case, a value after "=" or ":" ("/lang=DE",
// "--log:C:\logs\vg.log"), optionally in quotes. "/?" and "-h" ask for help.
struct SetupOptions {
    RunMode mode = RunMode::Interactive;
    // The region code of "lang", as the language list's entry sets it
    // ("S_A" for "s_a"); empty without the option.
    std::string regionCode;
    // Where "log" asks for a second copy of setup.log, as written; empty
    // without the option.
    std::string logPath;
    bool help = false;
};

struct ParsedCommandLine {
    SetupOptions options;
    // What is wrong with the command line, in one sentence; empty when
    // nothing is. A wrong command line installs nothing.
    std::string error;
};

// Reads the arguments after the program's name. Every argument must be one
// of the options; an unknown one, a value that is missing or not allowed, a
// value given to an option that takes none, an option given twice and
// "quiet" with "passive" are errors.
ParsedCommandLine ParseSetupOptions(const std::vector<std::string>& arguments);

// The usage text: every option and the exit codes.
std::string SetupUsageText();
