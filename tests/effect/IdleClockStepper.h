#pragma once
// Lets time pass on the test clock while the UI thread sits in a modal loop
// that the test cannot pump itself: a thread of its own steps the clock
// each time the UI thread has worked through what was posted to it, so the
// clock moves only while that thread waits. Stopped and joined when it goes.
#include <atomic>
#include <cstdint>
#include <thread>

#include "platform/os/Types.h"
#include "tests/ui/UiTestEnv.h"

namespace qv::test {

class IdleClockStepper {
public:
    // Created on the UI thread.
    explicit IdleClockStepper(ui::test::SteppedClock& clock, std::uint64_t stepMs = 10);
    ~IdleClockStepper();
    IdleClockStepper(const IdleClockStepper&) = delete;
    IdleClockStepper& operator=(const IdleClockStepper&) = delete;

private:
    void Run();

    ui::test::SteppedClock& m_clock;
    const std::uint64_t m_stepMs;
    const DWORD m_uiThread;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

}  // namespace qv::test
