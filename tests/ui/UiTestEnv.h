#pragma once
// Shared pieces of the UI tests: an application over the test's own
// resources, a clock stepped by hand, and message pumping.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "platform/os/Tick.h"
#include "platform/ui/SApplication.h"

namespace qv::ui::test {

class SteppedClock : public qv::os::IClock {
public:
    std::uint64_t NowMs() override { return m_now.load(); }
    // Advances the clock and lets waiting loops see it.
    void Step(std::uint64_t ms);

private:
    std::atomic<std::uint64_t> m_now{1000000};
};

// Dispatches every pending message of the calling thread; returns how many.
int PumpPending();

// An application whose resources are the test executable's.
class UiAppTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::unique_ptr<SApplication> m_app;
};

}  // namespace qv::ui::test
