#include "platform/os/Tick.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace qv::os {
namespace {
std::atomic<IClock*> g_clock{nullptr};

std::uint64_t SystemNowMs() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
}  // namespace

std::uint64_t NowMs() {
    IClock* clock = g_clock.load(std::memory_order_acquire);
    return clock ? clock->NowMs() : SystemNowMs();
}

std::uint32_t GetTickCount() { return static_cast<std::uint32_t>(NowMs()); }

void SleepMs(std::uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void SetClock(IClock* clock) { g_clock.store(clock, std::memory_order_release); }

}  // namespace qv::os
