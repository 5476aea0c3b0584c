// Prints what the INI reader or the registry file reader makes of one file,
// for scripts/bad-inputs.py.
//
//     bad_input_dump ini FILE [CODE_PAGE]   (code page of non-UTF-8 text, 1252)
//     bad_input_dump reg FILE
//
// Queries come on standard input, one a line, fields separated by a tab;
// each gets one answer line:
//
//     ini  "sections"         -> "exists 0|1", then "section NAME" per name
//                                and "end"
//          "value S K"        -> "value TEXT" or "missing"
//     reg  "key PATH"         -> "NotFound", "ReadOnly" or "Full"
//          "value PATH NAME"  -> "value TEXT", "missing" or "error MESSAGE"
//
// Names and texts are printed with "\" as "\\" and control bytes as "\xNN",
// so that every answer stays on one line.

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "localization/IniFile.h"
#include "platform/RegistryFile.h"

namespace {

std::string Escaped(std::string_view text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) {
            return fields;
        }
        start = tab + 1;
    }
}

// Reading a key twice with two different defaults tells a missing key from
// one whose value happens to equal a default.
void AnswerIni(const localization::IniFile& ini, const std::vector<std::string>& query) {
    if (query.size() == 1 && query[0] == "sections") {
        std::cout << "exists " << (ini.Exists() ? 1 : 0) << '\n';
        for (const std::string& name : ini.SectionNames()) {
            std::cout << "section " << Escaped(name) << '\n';
        }
        std::cout << "end\n";
    } else if (query.size() == 3 && query[0] == "value") {
        std::string first = ini.ReadString(query[1], query[2], "\x01");
        std::string second = ini.ReadString(query[1], query[2], "\x02");
        if (first == "\x01" && second == "\x02") {
            std::cout << "missing\n";
        } else {
            std::cout << "value " << Escaped(first) << '\n';
        }
    } else {
        std::cout << "bad query\n";
    }
}

void AnswerRegistry(const platform::RegistryFile& registry, const std::vector<std::string>& query) {
    if (query.size() == 2 && query[0] == "key") {
        switch (registry.OpenKey(query[1])) {
        case platform::KeyAccess::NotFound:
            std::cout << "NotFound\n";
            break;
        case platform::KeyAccess::ReadOnly:
            std::cout << "ReadOnly\n";
            break;
        case platform::KeyAccess::Full:
            std::cout << "Full\n";
            break;
        }
    } else if (query.size() == 3 && query[0] == "value") {
        try {
            std::optional<std::string> value = registry.ReadString(query[1], query[2]);
            if (value) {
                std::cout << "value " << Escaped(*value) << '\n';
            } else {
                std::cout << "missing\n";
            }
        } catch (const platform::RegistryError& error) {
            std::cout << "error " << Escaped(error.what()) << '\n';
        }
    } else {
        std::cout << "bad query\n";
    }
}

} // namespace

int main(int argc, char** argv) {
    std::string kind = argc >= 3 ? argv[1] : "";
    if ((kind != "ini" || argc > 4) && (kind != "reg" || argc != 3)) {
        std::fprintf(stderr, "usage: %s ini FILE [CODE_PAGE] | reg FILE  (queries on standard input)\n",
                     argv[0]);
        return 2;
    }
    std::string line;
    if (kind == "ini") {
        localization::IniFile ini(argv[2], argc == 4 ? std::atoi(argv[3]) : 1252);
        while (std::getline(std::cin, line)) {
            AnswerIni(ini, Fields(line));
        }
    } else {
        platform::RegistryFile registry(argv[2]);
        while (std::getline(std::cin, line)) {
            AnswerRegistry(registry, Fields(line));
        }
    }
    return 0;
}
