#include <gtest/gtest.h>

#include <thread>

#include "platform/os/Event.h"

namespace {
using qv::os::Event;
using qv::os::WaitResult;

TEST(Event, AutoResetReleasesOneWaitAndClears) {
    Event e(false, false);
    EXPECT_EQ(e.Wait(0), WaitResult::TimedOut);
    e.Set();
    EXPECT_EQ(e.Wait(0), WaitResult::Signalled);
    EXPECT_EQ(e.Wait(0), WaitResult::TimedOut);
}

TEST(Event, ManualResetStaysSignalledUntilReset) {
    Event e(true, true);
    EXPECT_EQ(e.Wait(0), WaitResult::Signalled);
    EXPECT_EQ(e.Wait(10), WaitResult::Signalled);
    e.Reset();
    EXPECT_EQ(e.Wait(5), WaitResult::TimedOut);
}

TEST(Event, SetFromAnotherThreadWakesAnInfiniteWait) {
    Event e(false, false);
    std::thread setter([&] { e.Set(); });
    EXPECT_EQ(e.Wait(INFINITE), WaitResult::Signalled);
    setter.join();
}

}  // namespace
