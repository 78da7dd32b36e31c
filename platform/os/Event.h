#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "platform/os/Types.h"

namespace qv::os {

enum class WaitResult { Signalled, TimedOut };

// A Windows-style event. A manual-reset event stays signalled until Reset;
// an auto-reset event releases one waiter and clears itself.
class Event {
public:
    Event(bool manualReset, bool initiallySignalled);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    // Waits up to timeoutMs (INFINITE waits for ever).
    [[nodiscard]] WaitResult Wait(std::uint32_t timeoutMs);
    // True when signalled now; consumes the signal of an auto-reset event.
    [[nodiscard]] bool TryWait() { return Wait(0) == WaitResult::Signalled; }
    // Reads the state without consuming it.
    [[nodiscard]] bool IsSet() const;

private:
    const bool m_manualReset;
    bool m_signalled;
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
};

}  // namespace qv::os
