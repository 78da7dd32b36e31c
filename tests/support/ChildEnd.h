#pragma once
// Ends the child processes a test starts (the simulated card, the catalogue
// server, the program, Xvfb, dbus-daemon) within a bounded time. A child that
// has not ended in time is killed (SIGKILL) and reaped, and the running test
// fails with a message naming it, so a hang reads as what hung instead of
// the whole test's time-out.
#include <sys/types.h>

#include <optional>
#include <string>

namespace qv::test {

// Time a child gets to end once asked, generous for a loaded machine.
inline constexpr int kChildEndMs = 10000;

// Waits up to timeoutMs for the child to exit and reaps it; its raw wait
// status, or nullopt while it still runs.
std::optional<int> WaitForChild(pid_t pid, int timeoutMs);

// Waits for a child that ends by itself (a closed window, a quit command).
// Returns the raw wait status; nullopt when it was killed after timeoutMs.
std::optional<int> AwaitChild(pid_t pid, const std::string& name, int timeoutMs = kChildEndMs);

// Asks the child to end with SIGTERM and waits as AwaitChild does.
std::optional<int> EndChild(pid_t pid, const std::string& name, int timeoutMs = kChildEndMs);

}  // namespace qv::test
