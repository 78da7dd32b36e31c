#pragma once
#include <cstdint>

namespace qv::os {

// Milliseconds on a monotonic clock, wrapping at 2^32 like the Windows tick.
std::uint32_t GetTickCount();

// Sleeps the calling thread for the given milliseconds.
void SleepMs(std::uint32_t ms);

// Replaceable time source: tests install one to drive timers by hand.
class IClock {
public:
    virtual ~IClock() = default;
    virtual std::uint64_t NowMs() = 0;
};

// Installs a clock for GetTickCount; null restores the system clock.
void SetClock(IClock* clock);
std::uint64_t NowMs();

}  // namespace qv::os
