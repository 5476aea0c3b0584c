#include "platform/Process.h"

#include <cerrno>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace platform {

int RunProgramAndWait(const std::string& commandLine, std::string& reason) {
    reason.clear();
    std::vector<std::string> args = SplitCommandLine(commandLine);
    if (args.empty() || args[0].empty()) {
        reason = "The command line names no program";
        return -1;
    }
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    pid_t child = 0;
    // posix_spawnp searches PATH for a bare name, like the Windows search for
    // a program without a folder; an exec failure comes back as its result.
    if (const int error = ::posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ);
        error != 0) {
        reason = std::strerror(error);
        return -1;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            reason = std::strerror(errno);
            return -1;
        }
    }
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return -1;
}

} // namespace platform
