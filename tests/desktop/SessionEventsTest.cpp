// Sleep and shutdown from a fake logind on a private bus standing in for the
// system bus, as the messages registered windows get.
#include "platform/ui/desktop/SessionEvents.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <vector>

#include "PrivateBus.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/WinDefs.h"
#include "tests/desktop/FakeLogind.h"

namespace qv::desktop {
namespace {

using qv::test::FakeLogind;

struct Seen {
    UINT msg;
    WPARAM wParam;
    bool operator==(const Seen&) const = default;
};

class SessionEventsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!m_bus.Start()) GTEST_SKIP() << "dbus-daemon is not installed";
        setenv("DBUS_SYSTEM_BUS_ADDRESS", m_bus.Address().c_str(), 1);
    }
    void TearDown() override {
        unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
        qv::os::DestroyThreadQueue();
    }
    // A window that notes the power and session messages.
    HWND Window(std::vector<Seen>& seen) {
        return qv::os::CreateTarget([&seen](HWND, UINT msg, WPARAM wp, LPARAM) {
            if (msg == WM_POWERBROADCAST || msg == WM_QUERYENDSESSION || msg == WM_ENDSESSION) seen.push_back({msg, wp});
            return LRESULT(1);
        });
    }
    // Runs this thread's loop until the condition holds (or 5 s pass).
    static bool RunUntil(const std::function<bool()>& done) {
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!done()) {
            while (qv::os::PumpOneMessage()) {
            }
            if (std::chrono::steady_clock::now() > end) return false;
            qv::os::WaitMessage(20);
        }
        return true;
    }
    qv::test::PrivateBus m_bus;
};

TEST_F(SessionEventsTest, SleepAndShutdownReachTheWindowsThatAskedAndTheLockIsHeldUntilThen) {
    FakeLogind logind;
    ASSERT_TRUE(logind.Ok());
    auto events = SessionEvents::Open();
    ASSERT_NE(events, nullptr);
    std::vector<Seen> asked, other;
    HWND window = Window(asked);
    Window(other);
    events->AddWindow(window);
    EXPECT_EQ(logind.Inhibits(), 1);
    EXPECT_TRUE(logind.LastLockHeld());

    logind.Emit("PrepareForSleep", true);
    ASSERT_TRUE(RunUntil([&] { return !asked.empty(); }));
    EXPECT_EQ(asked, (std::vector<Seen>{{WM_POWERBROADCAST, PBT_APMSUSPEND}}));
    EXPECT_FALSE(logind.LastLockHeld());  // answered: the system may sleep

    logind.Emit("PrepareForSleep", false);
    ASSERT_TRUE(RunUntil([&] { return asked.size() == 2; }));
    EXPECT_EQ(asked.back(), (Seen{WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC}));
    EXPECT_EQ(logind.Inhibits(), 2);
    EXPECT_TRUE(logind.LastLockHeld());

    logind.Emit("PrepareForShutdown", true);
    ASSERT_TRUE(RunUntil([&] { return asked.size() == 4; }));
    EXPECT_EQ(asked[2], (Seen{WM_QUERYENDSESSION, 0}));
    EXPECT_EQ(asked[3], (Seen{WM_ENDSESSION, TRUE}));
    EXPECT_FALSE(events->HoldsDelayLock());
    EXPECT_TRUE(other.empty());

    events->RemoveWindow(window);
    logind.Emit("PrepareForSleep", true);
    logind.Emit("PrepareForSleep", false);
    ASSERT_TRUE(RunUntil([&] { return logind.Inhibits() == 3; }));
    EXPECT_EQ(asked.size(), 4u);
    qv::os::DestroyTarget(window);
}

TEST_F(SessionEventsTest, WithoutLogindOrWithoutABusNothingHappens) {
    EXPECT_EQ(SessionEvents::Open(), nullptr);  // a bus, but no logind on it
    setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/qv-no-bus", 1);
    EXPECT_EQ(SessionEvents::Open(), nullptr);
}

}  // namespace
}  // namespace qv::desktop
