#include "tests/effect/IdleClockStepper.h"

#include <chrono>
#include <memory>

#include "platform/os/MessageQueue.h"

namespace qv::test {

IdleClockStepper::IdleClockStepper(ui::test::SteppedClock& clock, std::uint64_t stepMs)
    : m_clock(clock), m_stepMs(stepMs), m_uiThread(qv::os::GetCurrentThreadId()), m_thread([this] { Run(); }) {}

IdleClockStepper::~IdleClockStepper() {
    m_stop = true;
    m_thread.join();
}

void IdleClockStepper::Run() {
    while (!m_stop) {
        auto reached = std::make_shared<std::atomic<bool>>(false);
        if (!qv::os::PostTask(m_uiThread, [reached] { *reached = true; })) return;
        while (!*reached && !m_stop) std::this_thread::sleep_for(std::chrono::microseconds(50));
        if (m_stop) return;
        m_clock.Step(m_stepMs);
        // Room for the timer that came due before the next probe is queued.
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

}  // namespace qv::test
