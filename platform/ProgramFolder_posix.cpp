#include "platform/ProgramFolder.h"

#include <unistd.h>

#include <string>
#include <vector>

namespace platform {

namespace {

// /proc/self/exe is a symbolic link to the running program file. readlink
// does not report the length of a target it had to cut, so the buffer grows
// until the target fits with room to spare.
std::string ResolveProgramFile() {
    std::vector<char> buffer(256);
    while (buffer.size() <= 65536) {
        ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<size_t>(length) < buffer.size()) {
            return std::string(buffer.data(), static_cast<size_t>(length));
        }
        buffer.resize(buffer.size() * 2);
    }
    return {};
}

std::string ResolveProgramFolder() {
    std::string file = ResolveProgramFile();
    std::string::size_type slash = file.rfind('/');
    if (file.empty() || slash == std::string::npos) {
        return ".";
    }
    if (slash == 0) {
        return "/";
    }
    return file.substr(0, slash);
}

} // namespace

std::string ProgramFolder() {
    static const std::string folder = ResolveProgramFolder();
    return folder;
}

const char* PathSeparator() {
    return "/";
}

const char* ExecutableSuffix() {
    return "";
}

} // namespace platform
