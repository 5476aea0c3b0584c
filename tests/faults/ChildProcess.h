#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace fault_test {

// How a child process ended.
struct ChildEnd {
    int exitCode = -1;     // its exit code when it exited, else -1
    int signal = 0;        // the signal that ended it, else 0
    bool timedOut = false; // the parent killed it when its time was up
};

// The number of SIGKILL, for comparing with ChildEnd::signal.
extern const int kKillSignal;

// The exit code of a child whose body raised; its last message names the
// error.
inline constexpr int kChildRaised = 3;

// A fork of the test process running `body`: the child sees every object of
// the test as it was at the fork, and what it changes in memory stays in
// the child. When the body returns the child exits with 0 at once, without
// running destructors or exit handlers; when it raises, it reports
// "raised: <what>" and exits with kChildRaised. The child reports back to
// the parent through Report().
//
// A child still running when the object goes is killed and reaped.
class ChildProcess {
public:
    explicit ChildProcess(const std::function<void()>& body);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next message of the child; nullopt once the child has ended (or
    // closed its end) and every message is read, or when `timeout` passed
    // without one.
    std::optional<std::string> Next(std::chrono::milliseconds timeout);
    // Every message up to the child's end. A child that takes longer than
    // `timeout` in all is killed, and Wait() then tells so.
    std::vector<std::string> Rest(std::chrono::milliseconds timeout);

    // Ends the child with SIGKILL.
    void Kill();
    // Waits for the child to end (at once when it has been reaped).
    ChildEnd Wait();

private:
    int m_pid = -1;
    int m_channel = -1;
    // Bytes read from the channel that do not yet make a whole message.
    std::string m_pending;
    bool m_channelClosed = false;
    bool m_reaped = false;
    ChildEnd m_end;
};

// In a child: sends `message` (any bytes) to the parent.
void Report(const std::string& message);

// In a child: no file of this process may grow beyond `bytes`, and a write
// beyond the limit fails with EFBIG instead of raising SIGXFSZ. Raises
// std::runtime_error when the limit cannot be set.
void LimitFileSize(std::uint64_t bytes);

// In a child running as root: becomes user and group 65534 (nobody), so
// that permission bits bind. True when the process now runs as another user
// than root (at once when it never did), false when the switch failed.
bool DropRootPrivileges();

// In a child: waits until a signal ends the process.
[[noreturn]] void WaitToBeKilled();

// Makes a named pipe at `path`; raises std::runtime_error on failure.
void MakeFifo(const std::string& path);

} // namespace fault_test
