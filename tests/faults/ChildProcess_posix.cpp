#include "ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fault_test {

namespace {

// The child's end of the channel. A message on it is its length as four
// bytes in host order, then its bytes.
int g_reportChannel = -1;

constexpr uid_t kNobody = 65534;

std::runtime_error SystemError(const std::string& what) {
    return std::runtime_error(what + ": " + std::strerror(errno));
}

void WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t put = ::write(fd, data, size);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        data += put;
        size -= static_cast<std::size_t>(put);
    }
}

[[noreturn]] void RunChild(const std::function<void()>& body) {
    std::signal(SIGPIPE, SIG_IGN);
    int code = 0;
    try {
        body();
    } catch (const std::exception& error) {
        Report(std::string("raised: ") + error.what());
        code = kChildRaised;
    } catch (...) {
        Report("raised: an error that is no std::exception");
        code = kChildRaised;
    }
    ::_exit(code);
}

} // namespace

const int kKillSignal = SIGKILL;

ChildProcess::ChildProcess(const std::function<void()>& body) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        throw SystemError("pipe");
    }
    std::fflush(nullptr);
    m_pid = ::fork();
    if (m_pid < 0) {
        const auto error = SystemError("fork");
        ::close(ends[0]);
        ::close(ends[1]);
        throw error;
    }
    if (m_pid == 0) {
        ::close(ends[0]);
        g_reportChannel = ends[1];
        RunChild(body);
    }
    ::close(ends[1]);
    m_channel = ends[0];
}

ChildProcess::~ChildProcess() {
    if (!m_reaped) {
        Kill();
        Wait();
    }
    ::close(m_channel);
}

std::optional<std::string> ChildProcess::Next(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        std::uint32_t length = 0;
        if (m_pending.size() >= sizeof length) {
            std::memcpy(&length, m_pending.data(), sizeof length);
            if (m_pending.size() >= sizeof length + length) {
                std::string message = m_pending.substr(sizeof length, length);
                m_pending.erase(0, sizeof length + length);
                return message;
            }
        }
        if (m_channelClosed) {
            return std::nullopt;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd channel{m_channel, POLLIN, 0};
        const int ready =
            ::poll(&channel, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return std::nullopt;
        }
        char buffer[4096];
        const ssize_t got = ::read(m_channel, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            m_channelClosed = true;
        } else {
            m_pending.append(buffer, static_cast<std::size_t>(got));
        }
    }
}

std::vector<std::string> ChildProcess::Rest(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::vector<std::string> messages;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        std::optional<std::string> message = Next(std::max(left, std::chrono::milliseconds(0)));
        if (!message) {
            break;
        }
        messages.push_back(std::move(*message));
    }
    if (!m_channelClosed && !m_reaped) {
        Kill();
        m_end.timedOut = true;
    }
    return messages;
}

void ChildProcess::Kill() {
    if (!m_reaped) {
        ::kill(m_pid, SIGKILL);
    }
}

ChildEnd ChildProcess::Wait() {
    if (m_reaped) {
        return m_end;
    }
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0) {
        if (errno != EINTR) {
            throw SystemError("waitpid");
        }
    }
    m_reaped = true;
    if (WIFEXITED(status)) {
        m_end.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        m_end.signal = WTERMSIG(status);
    }
    return m_end;
}

void Report(const std::string& message) {
    const auto length = static_cast<std::uint32_t>(message.size());
    std::string framed(reinterpret_cast<const char*>(&length), sizeof length);
    framed += message;
    WriteAll(g_reportChannel, framed.data(), framed.size());
}

void LimitFileSize(std::uint64_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
        throw SystemError("setrlimit");
    }
}

bool DropRootPrivileges() {
    if (::geteuid() != 0) {
        return true;
    }
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
        return false;
    }
    return ::geteuid() == kNobody && ::getuid() == kNobody;
}

void WaitToBeKilled() {
    for (;;) {
        ::pause();
    }
}

void MakeFifo(const std::string& path) {
    if (::mkfifo(path.c_str(), 0644) != 0) {
        throw SystemError("mkfifo " + path);
    }
}

} // namespace fault_test
