#include "tests/support/ChildEnd.h"

#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>

namespace qv::test {
namespace {

using Clock = std::chrono::steady_clock;

enum class Waited { Exited, Running, NotAChild };

int RemainingMs(Clock::time_point end) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

Waited Wait(pid_t pid, int timeoutMs, int& status) {
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    // A pidfd turns readable when the child exits; without one, look often.
    const int pidFd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    Waited result = Waited::Running;
    for (;;) {
        const pid_t reaped = waitpid(pid, &status, WNOHANG);
        if (reaped == pid) {
            result = Waited::Exited;
            break;
        }
        if (reaped < 0 && errno != EINTR) {
            result = Waited::NotAChild;
            break;
        }
        const int left = RemainingMs(end);
        if (left == 0) break;
        if (pidFd >= 0) {
            pollfd exited{pidFd, POLLIN, 0};
            poll(&exited, 1, left);
        } else {
            usleep(static_cast<useconds_t>(std::min(left, 5) * 1000));
        }
    }
    if (pidFd >= 0) close(pidFd);
    return result;
}

// What a hung child is doing, for the test's output: its threads' stacks
// when gdb is there to take them.
void PrintStacks(pid_t pid, const std::string& name) {
    const std::string command = "timeout -k 5 30 gdb -p " + std::to_string(pid) +
                                " -batch -nx -ex 'thread apply all bt 30' 2>/dev/null";
    std::FILE* gdb = popen(command.c_str(), "r");
    if (!gdb) return;
    std::fprintf(stderr, "== the threads of %s (pid %d), which hangs:\n", name.c_str(), static_cast<int>(pid));
    char line[1024];
    while (std::fgets(line, sizeof line, gdb)) std::fputs(line, stderr);
    pclose(gdb);
}

}  // namespace

std::optional<int> WaitForChild(pid_t pid, int timeoutMs) {
    int status = 0;
    if (pid > 0 && Wait(pid, timeoutMs, status) == Waited::Exited) return status;
    return std::nullopt;
}

std::optional<int> AwaitChild(pid_t pid, const std::string& name, int timeoutMs) {
    if (pid <= 0) return std::nullopt;
    int status = 0;
    switch (Wait(pid, timeoutMs, status)) {
    case Waited::Exited: return status;
    case Waited::NotAChild: ADD_FAILURE() << name << " (pid " << pid << ") is not a child left to wait for"; return std::nullopt;
    case Waited::Running: break;
    }
    PrintStacks(pid, name);
    ::kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    ADD_FAILURE() << name << " (pid " << pid << ") had not ended " << timeoutMs << " ms after it was asked to; killed";
    return std::nullopt;
}

std::optional<int> EndChild(pid_t pid, const std::string& name, int timeoutMs) {
    if (pid <= 0) return std::nullopt;
    ::kill(pid, SIGTERM);
    return AwaitChild(pid, name, timeoutMs);
}

}  // namespace qv::test
