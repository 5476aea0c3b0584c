#include "platform/Shell.h"

#include <cerrno>
#include <chrono>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace platform {

namespace {

// xdg-open hands the document to the viewer and usually ends at once, with
// 0 when a viewer took it and 1 to 4 when none could. Some desktops run the
// viewer in its place instead; a launcher still running after this long has
// started a viewer.
constexpr auto kLauncherVerdictTime = std::chrono::seconds(3);
constexpr auto kPollStep = std::chrono::milliseconds(20);

// Launchers that outlived the wait; reaped whenever the shell is used again
// so that they do not linger as zombies.
std::vector<pid_t>& Running() {
    static std::vector<pid_t> running;
    return running;
}

void ReapFinished() {
    auto& running = Running();
    for (auto it = running.begin(); it != running.end();) {
        int status = 0;
        if (::waitpid(*it, &status, WNOHANG) != 0) {
            it = running.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace

bool SystemShell::OpenDocument(const std::string& path, const std::function<void()>& whileWaiting) {
    ReapFinished();
    std::string program = "xdg-open";
    std::string document = path;
    char* argv[] = {program.data(), document.data(), nullptr};
    pid_t child = 0;
    if (::posix_spawnp(&child, argv[0], nullptr, nullptr, argv, environ) != 0) {
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + kLauncherVerdictTime;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child) {
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        if (done < 0 && errno != EINTR) {
            return false;
        }
        // The caller's windows keep painting while the launcher decides.
        if (whileWaiting) {
            whileWaiting();
        }
        std::this_thread::sleep_for(kPollStep);
    }
    Running().push_back(child);
    return true;
}

} // namespace platform
