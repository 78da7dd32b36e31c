#include <gtest/gtest.h>

#include <thread>

#include "common/thread/Lock.h"

namespace {

TEST(Lock, GuardsSharedDataAcrossThreads) {
    ccm_util::CLock lock;
    long counter = 0;
    auto work = [&](bool scoped) {
        for (int i = 0; i < 20000; ++i) {
            if (scoped) {
                ccm_util::CScopedLock guard(lock);
                ++counter;
            } else {
                lock.Lock();
                ++counter;
                lock.Unlock();
            }
        }
    };
    std::thread a(work, true), b(work, false);
    a.join();
    b.join();
    EXPECT_EQ(counter, 40000);
}

TEST(Lock, TheOwningThreadMayLockAgain) {
    ccm_util::CLock lock;
    lock.Lock();
    {
        ccm_util::CScopedLock again(lock);
    }
    lock.Unlock();
    // Fully released: another thread can take it.
    bool taken = false;
    std::thread other([&] {
        ccm_util::CScopedLock guard(lock);
        taken = true;
    });
    other.join();
    EXPECT_TRUE(taken);
}

}  // namespace
