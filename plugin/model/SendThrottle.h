#pragma once
// Holds back parameter sends so that a stream of changes goes out at most once
// per interval, and the last change of a burst at the latest one interval
// after it was made.
#include <cstdint>
#include <functional>

#include "platform/os/Tick.h"

class SendThrottle {
public:
    // The window that owns the throttle's timer.
    class ITimerHost {
    public:
        virtual ~ITimerHost() = default;
        virtual void SetTimer(int timerId, std::uint32_t intervalMs) = 0;
        virtual void KillTimer(int timerId) = 0;
    };
    using Flush = std::function<void()>;

    static constexpr std::uint32_t kDefaultIntervalMs = 200;
    static constexpr int kDefaultTimerId = 1000;

    // The clock gives the tick count; null uses the system tick.
    explicit SendThrottle(qv::os::IClock* clock = nullptr) : m_clock(clock) {}

    // Done by the page that owns the window, before any parameter is written.
    void Setup(std::uint32_t intervalMs, ITimerHost* window, int timerId, Flush owner);

    // A value is waiting: flush now when the last flush is an interval ago,
    // else (re)start the timer for one interval.
    void Request();
    // The window's timer fired; false when it is not the throttle's timer.
    bool OnTimer(int timerId);

    int TimerId() const { return m_timerId; }
    std::uint32_t LastFlushTick() const { return m_lastFlush; }

private:
    std::uint32_t Now() const;
    void FlushNow(std::uint32_t now);

    std::uint32_t m_intervalMs = 0;
    ITimerHost* m_window = nullptr;
    std::int32_t m_timerId = 0;
    std::uint32_t m_lastFlush = 0;
    Flush m_owner;
    qv::os::IClock* m_clock;
};
