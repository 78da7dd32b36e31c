#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "plugin/model/SendThrottle.h"

namespace {

class StepClock : public qv::os::IClock {
public:
    std::uint64_t now = 0;
    std::uint64_t NowMs() override { return now; }
};

// Records the timer like a window would and reports when it is due.
class FakeTimerWindow : public SendThrottle::ITimerHost {
public:
    std::optional<std::uint64_t> due;
    int timerId = 0;
    StepClock* clock = nullptr;
    void SetTimer(int id, std::uint32_t ms) override {
        timerId = id;
        due = clock->now + ms;
    }
    void KillTimer(int) override { due.reset(); }
};

class SendThrottleTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.clock = &clock;
        throttle.Setup(200, &window, 1000, [this] { flushes.push_back(clock.now); });
    }
    // Moves the clock on by ms, one millisecond at a time, firing a due timer.
    void Advance(std::uint64_t ms) {
        for (std::uint64_t i = 0; i < ms; ++i) {
            ++clock.now;
            if (window.due && *window.due <= clock.now) {
                EXPECT_TRUE(throttle.OnTimer(window.timerId));
            }
        }
    }

    StepClock clock;
    FakeTimerWindow window;
    SendThrottle throttle{&clock};
    std::vector<std::uint64_t> flushes;
};

TEST_F(SendThrottleTest, FirstRequestAfterAQuietIntervalFlushesAtOnce) {
    clock.now = 5000;
    throttle.Request();
    EXPECT_EQ(flushes, (std::vector<std::uint64_t>{5000}));
    EXPECT_FALSE(window.due);
}

TEST_F(SendThrottleTest, ABurstFlushesAtMostEveryIntervalAndOnceMoreAfterItsEnd) {
    clock.now = 10000;
    for (int i = 0; i < 100; ++i) {  // a drag: one change every 15 ms for 1.5 s
        throttle.Request();
        Advance(15);
    }
    const std::uint64_t lastRequest = clock.now - 15;
    Advance(1000);
    ASSERT_GE(flushes.size(), 2u);
    for (std::size_t i = 1; i < flushes.size(); ++i) EXPECT_GE(flushes[i] - flushes[i - 1], 200u);
    EXPECT_LE(flushes.size(), 1 + 1500 / 200 + 1);
    EXPECT_EQ(flushes.back(), lastRequest + 200);
}

TEST_F(SendThrottleTest, ARequestInsideTheIntervalRestartsTheTimer) {
    clock.now = 1000;
    throttle.Request();  // flush at 1000
    Advance(50);
    throttle.Request();
    EXPECT_EQ(window.due, 1250u);
    Advance(100);
    throttle.Request();
    EXPECT_EQ(window.due, 1350u);
    Advance(300);
    EXPECT_EQ(flushes, (std::vector<std::uint64_t>{1000, 1350}));
}

TEST_F(SendThrottleTest, OtherTimersAreNotTheThrottles) {
    EXPECT_FALSE(throttle.OnTimer(1004));
    EXPECT_TRUE(flushes.empty());
}

TEST_F(SendThrottleTest, TickWrapDoesNotStallTheThrottle) {
    clock.now = 0xFFFFFFF0u;
    throttle.Request();
    Advance(0x20);  // the 32-bit tick wraps to 0x10
    throttle.Request();
    EXPECT_EQ(flushes.size(), 1u);
    Advance(200);
    EXPECT_EQ(flushes.size(), 2u);
}

}  // namespace
