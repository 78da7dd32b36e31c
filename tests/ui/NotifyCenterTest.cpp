#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/os/MessageQueue.h"
#include "platform/ui/SNotifyCenter.h"
#include "tests/ui/UiTestEnv.h"

namespace qv::ui {
namespace {

QV_EVENT_BEGIN(EventTick, 10030001, u"on_tick")
    int thread = 0;
    int seq = 0;
    std::vector<int> payload;  // owned by the event until it is gone
QV_EVENT_END

class Listener {
public:
    bool OnTick(EventArgs* e) {
        auto* tick = EventCast<EventTick>(e);
        if (!tick) return false;
        threads.push_back(qv::os::GetCurrentThreadId());
        received.emplace_back(tick->thread, tick->seq);
        return true;
    }
    std::vector<DWORD> threads;
    std::vector<std::pair<int, int>> received;
};

class NotifyCenterTest : public ::testing::Test {
protected:
    void TearDown() override {
        test::PumpPending();
        qv::os::DestroyThreadQueue();
    }
};

void FireFromWorkers(SNotifyCenter& centre, int threads, int perThread) {
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&centre, t, perThread] {
            for (int i = 0; i < perThread; ++i) {
                auto e = std::make_shared<EventTick>(nullptr);
                e->thread = t;
                e->seq = i;
                e->payload.assign(8, i);
                centre.FireEventAsync(e);
            }
        });
    }
    for (auto& w : workers) w.join();
}

TEST_F(NotifyCenterTest, AsyncEventsFromTenThreadsArriveOnceEachInOrderOnTheUiThread) {
    SNotifyCenter centre;
    centre.addEvent(EventTick::EventID, EventTick::EventName);
    centre.addEvent(EventTick::EventID, u"again");  // idempotent
    Listener listener;
    centre.subscribeEvent(EventTick::EventID, &Listener::OnTick, &listener);

    constexpr int kThreads = 10, kPerThread = 200;
    FireFromWorkers(centre, kThreads, kPerThread);
    EXPECT_TRUE(listener.received.empty());  // nothing before the UI thread pumps
    test::PumpPending();

    ASSERT_EQ(listener.received.size(), size_t(kThreads * kPerThread));
    std::vector<int> next(kThreads, 0);
    for (auto [t, seq] : listener.received) {
        EXPECT_EQ(seq, next[static_cast<size_t>(t)]) << "thread " << t;
        next[static_cast<size_t>(t)] = seq + 1;
    }
    for (DWORD id : listener.threads) EXPECT_EQ(id, qv::os::GetCurrentThreadId());
}

TEST_F(NotifyCenterTest, NothingArrivesAfterTheSubscriberOrTheCentreIsGone) {
    auto listener = std::make_unique<Listener>();
    {
        SNotifyCenter centre;
        centre.addEvent(EventTick::EventID, EventTick::EventName);
        centre.subscribeEvent(EventTick::EventID, &Listener::OnTick, listener.get());
        FireFromWorkers(centre, 10, 20);
        centre.unsubscribeAll(listener.get());
        listener.reset();  // a late delivery would touch freed memory
        test::PumpPending();

        Listener second;
        centre.subscribeEvent(EventTick::EventID, &Listener::OnTick, &second);
        FireFromWorkers(centre, 2, 5);
        centre.unsubscribeAll(&second);
        test::PumpPending();
        EXPECT_TRUE(second.received.empty());

        centre.subscribeEvent(EventTick::EventID, &Listener::OnTick, &second);
        FireFromWorkers(centre, 2, 5);
    }
    // The centre went with its events still queued.
    test::PumpPending();
    EXPECT_EQ(SNotifyCenter::getSingletonPtr(), nullptr);
}

TEST_F(NotifyCenterTest, SyncFireDeliversNowAndUnsubscribeByToken) {
    SNotifyCenter centre;
    centre.addEvent(EventTick::EventID, EventTick::EventName);
    Listener listener;
    std::uint64_t token = centre.subscribeEvent(EventTick::EventID, &Listener::OnTick, &listener);
    EXPECT_NE(token, 0u);
    EXPECT_EQ(centre.subscribeEvent(12345, &Listener::OnTick, &listener), 0u);  // not registered
    EventTick e(nullptr);
    e.seq = 7;
    EXPECT_TRUE(centre.FireEventSync(e));
    ASSERT_EQ(listener.received.size(), 1u);
    EXPECT_EQ(listener.received[0].second, 7);
    EXPECT_TRUE(centre.unsubscribeEvent(token));
    EXPECT_FALSE(centre.FireEventSync(e));
    EXPECT_EQ(listener.received.size(), 1u);
}

}  // namespace
}  // namespace qv::ui
