#include "platform/ProgramFolder.h"

#include "platform/Win32Text.h"

#include <windows.h>

#include <string>

namespace platform {

namespace {

// GetModuleFileName cuts a name that does not fit and then fills the
// buffer exactly, so the buffer grows until the name fits with room to
// spare.
template <typename Char, typename Get> std::basic_string<Char> ModuleFileName(Get get) {
    std::basic_string<Char> buffer(MAX_PATH, Char{});
    while (buffer.size() <= 65536) {
        const DWORD length = get(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
    return {};
}

std::string ProgramFile() {
    const std::string ansi = ModuleFileName<char>(::GetModuleFileNameA);
    // "?" is never part of a Windows path: the ANSI code page lacks a
    // character of the program's path.
    if (ansi.find('?') == std::string::npos) {
        return win::FromAnsi(ansi);
    }
    return win::Narrow(ModuleFileName<wchar_t>(::GetModuleFileNameW));
}

std::string ResolveProgramFolder() {
    const std::string file = ProgramFile();
    const auto cut = file.find_last_of("\\/");
    if (file.empty() || cut == std::string::npos) {
        return ".";
    }
    // A program at the root of a medium gives "D:": callers append the
    // separator and a name.
    return file.substr(0, cut);
}

} // namespace

std::string ProgramFolder() {
    static const std::string folder = ResolveProgramFolder();
    return folder;
}

const char* PathSeparator() {
    return "\\";
}

const char* ExecutableSuffix() {
    return ".exe";
}

} // namespace platform
