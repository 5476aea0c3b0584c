#include "app/SetupOptions.h"

#include <array>
#include <set>
#include <string_view>

#include "ui/Text.h"

namespace {

// The region codes the language list sets, in list order.
constexpr std::array<std::string_view, 12> kRegionCodes = {
    "NL", "UK", "DE", "FR", "SPA", "PTB", "AUS", "UNG", "GRC", "S_A", "PLK", "CSY"};

// The options, as the parser names them.
constexpr std::array<std::string_view, 5> kOptionNames = {"quiet", "passive", "lang", "log", "help"};

// One pair of matching quotes around a value is dropped: a deployment tool
// may pass them on as they were written.
std::string Unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

std::string CodeList() {
    std::string list;
    for (const std::string_view code : kRegionCodes) {
        list += list.empty() ? "" : ", ";
        list += code;
    }
    return list;
}

} // namespace

ParsedCommandLine ParseSetupOptions(const std::vector<std::string>& arguments) {
    ParsedCommandLine parsed;
    SetupOptions& options = parsed.options;
    std::set<std::string> seen;
    auto fail = [&parsed](std::string error) {
        if (parsed.error.empty()) {
            parsed.error = std::move(error);
        }
    };
    for (const std::string& argument : arguments) {
        if (argument == "/?" || argument == "-h") {
            options.help = true;
            continue;
        }
        std::string_view rest = argument;
        if (rest.starts_with("--")) {
            rest.remove_prefix(2);
        } else if (rest.starts_with("/")) {
            rest.remove_prefix(1);
        } else {
            fail("\"" + argument + "\" is not an option.");
            continue;
        }
        const std::size_t split = rest.find_first_of("=:");
        const std::string_view written = rest.substr(0, split);
        std::string name;
        for (const std::string_view option : kOptionNames) {
            if (ui::SameText(written, option)) {
                name = option;
            }
        }
        if (name.empty()) {
            fail("\"" + argument + "\" is not an option.");
            continue;
        }
        const bool hasValue = split != std::string_view::npos;
        const std::string value = hasValue ? Unquoted(rest.substr(split + 1)) : std::string();
        const bool takesValue = name == "lang" || name == "log";
        if (!seen.insert(name).second) {
            fail("The option " + name + " is given more than once.");
            continue;
        }
        if (!takesValue && hasValue) {
            fail("The option " + name + " takes no value (\"" + argument + "\").");
            continue;
        }
        if (takesValue && ui::Trim(value).empty()) {
            fail("The option " + name + " needs a value (\"" + argument + "\").");
            continue;
        }
        if (name == "quiet" || name == "passive") {
            options.mode = name == "quiet" ? RunMode::Quiet : RunMode::Passive;
        } else if (name == "help") {
            options.help = true;
        } else if (name == "log") {
            options.logPath = value;
        } else {
            const std::string code = ui::UpperAscii(value);
            bool found = false;
            for (const std::string_view known : kRegionCodes) {
                found = found || code == known;
            }
            if (!found) {
                fail("\"" + value + "\" is not a language code; lang takes one of " + CodeList() +
                     ".");
                continue;
            }
            options.regionCode = code;
        }
    }
    if (seen.contains("quiet") && seen.contains("passive")) {
        fail("The options quiet and passive cannot be given together.");
    }
    return parsed;
}

std::string SetupUsageText() {
    return "Usage: setup [options]\n"
           "\n"
           "Without options the window waits for your choice and a click on Start.\n"
           "\n"
           "/quiet        Install without a window and without questions, then end.\n"
           "/passive      Show the progress window, ask no questions, close at the end.\n"
           "/lang=CODE    The language: " +
           CodeList() +
           ".\n"
           "/log=PATH     Also write setup.log to PATH (its folder is made).\n"
           "/help, /?, -h This text.\n"
           "\n"
           "Each option may be written /name or --name, in any letter case, a value\n"
           "after \"=\" or \":\".\n"
           "\n"
           "Exit codes: 0 complete; 1603 failed (setup.log names each failure);\n"
           "1602 cancelled by a person; 87 wrong command line. On Linux 1602 and 1603\n"
           "arrive as 66 and 67.\n";
}
