#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <deque>
#include <future>
#include <memory>
#include <thread>
#include <vector>

#include "platform/os/MessageQueue.h"
#include "platform/os/Tick.h"

namespace {
using namespace qv::os;

constexpr UINT kMsgA = WM_USER + 1;
constexpr UINT kMsgB = WM_USER + 2;

class FakeClock : public IClock {
public:
    std::uint64_t NowMs() override { return now.load(); }
    void Step(std::uint64_t ms) {
        now += ms;
        NotifyClockChanged();
    }
    std::atomic<std::uint64_t> now{1000000};
};

// Runs a loop on its own thread; exposes the thread id and a target there.
class LoopThread {
public:
    explicit LoopThread(WndProc proc) {
        std::promise<void> ready;
        m_thread = std::thread([this, proc = std::move(proc), &ready]() mutable {
            m_id = GetCurrentThreadId();
            m_hwnd = CreateTarget(std::move(proc));
            ready.set_value();
            m_exitCode = RunMessageLoop();
        });
        ready.get_future().wait();
    }
    ~LoopThread() { Quit(); }
    void Quit() {
        if (!m_thread.joinable()) return;
        PostTask(m_id, [] { PostQuitMessage(7); });
        m_thread.join();
    }
    HWND hwnd() const { return m_hwnd; }
    DWORD id() const { return m_id; }
    int exitCode() const { return m_exitCode; }

private:
    std::thread m_thread;
    DWORD m_id = 0;
    HWND m_hwnd = nullptr;
    int m_exitCode = -1;
};

TEST(MessageQueue, PostedMessagesArriveInOrderThenQuit) {
    std::vector<WPARAM> seen;
    HWND hwnd = CreateTarget([&](HWND, UINT m, WPARAM w, LPARAM) -> LRESULT {
        if (m == kMsgA) seen.push_back(w);
        return 0;
    });
    PostQuitMessage(3);  // delivered only after the posted messages
    for (WPARAM i = 0; i < 5; ++i) ASSERT_TRUE(PostMessage(hwnd, kMsgA, i, 0));
    EXPECT_EQ(RunMessageLoop(), 3);
    EXPECT_TRUE(LastLoopEndedByQuit());
    EXPECT_EQ(seen, (std::vector<WPARAM>{0, 1, 2, 3, 4}));
    DestroyTarget(hwnd);
}

TEST(MessageQueue, MessagesForDestroyedTargetAreDropped) {
    int calls = 0;
    HWND hwnd = CreateTarget([&](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return ++calls; });
    ASSERT_TRUE(PostMessage(hwnd, kMsgA, 0, 0));
    ASSERT_TRUE(DestroyTarget(hwnd));
    EXPECT_FALSE(PostMessage(hwnd, kMsgA, 0, 0));
    EXPECT_EQ(SendMessage(hwnd, kMsgA, 0, 0), 0);
    EXPECT_FALSE(IsTarget(hwnd));
    MSG msg;
    EXPECT_FALSE(PeekMessage(&msg, true));
    EXPECT_EQ(calls, 0);
    HWND next = CreateTarget([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
    EXPECT_NE(next, hwnd);  // handles are not reused
    DestroyTarget(next);
}

TEST(MessageQueue, SendRunsOnTheOwningThreadAndReturnsItsResult) {
    std::atomic<DWORD> handledOn{0};
    LoopThread loop([&](HWND, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        handledOn = GetCurrentThreadId();
        return m == kMsgA ? static_cast<LRESULT>(w) + l : 0;
    });
    EXPECT_EQ(SendMessage(loop.hwnd(), kMsgA, 40, 2), 42);
    EXPECT_EQ(handledOn.load(), loop.id());
    EXPECT_EQ(GetTargetThreadId(loop.hwnd()), loop.id());

    // To the own thread it is a direct call.
    HWND own = CreateTarget([](HWND, UINT, WPARAM w, LPARAM) -> LRESULT { return w * 2; });
    EXPECT_EQ(SendMessage(own, kMsgA, 21, 0), 42);
    DestroyTarget(own);
    loop.Quit();
    EXPECT_EQ(loop.exitCode(), 7);
}

TEST(MessageQueue, SendsBetweenTwoThreadsDoNotDeadlock) {
    // The other thread's handler sends back to a target of this thread while
    // this thread is blocked in its own send.
    std::atomic<int> backCalls{0};
    HWND mine = CreateTarget([&](HWND, UINT, WPARAM w, LPARAM) -> LRESULT {
        ++backCalls;
        return w + 1;
    });
    LoopThread loop([&](HWND, UINT, WPARAM w, LPARAM) -> LRESULT {
        return SendMessage(mine, kMsgB, w, 0) * 10;
    });
    EXPECT_EQ(SendMessage(loop.hwnd(), kMsgA, 4, 0), 50);
    EXPECT_EQ(backCalls.load(), 1);
    DestroyTarget(mine);
}

TEST(MessageQueue, SendToAThreadThatEndsReturnsZero) {
    std::promise<HWND> created;
    std::promise<void> release;
    std::thread owner([&] {
        created.set_value(CreateTarget([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 9; }));
        release.get_future().wait();  // never pumps; ends with the send pending
    });
    HWND hwnd = created.get_future().get();
    std::thread unblock([&] {
        SleepMs(50);
        release.set_value();
    });
    EXPECT_EQ(SendMessage(hwnd, kMsgA, 0, 0), 0);
    unblock.join();
    owner.join();
    EXPECT_FALSE(IsTarget(hwnd));  // the thread's targets went with it
}

TEST(MessageQueue, TasksRunInOrderWithMessagesAndUnrunTasksAreReleased) {
    std::vector<int> order;
    HWND hwnd = CreateTarget([&](HWND, UINT, WPARAM w, LPARAM) -> LRESULT {
        order.push_back(static_cast<int>(w));
        return 0;
    });
    PostMessage(hwnd, kMsgA, 1, 0);
    PostTask(GetCurrentThreadId(), [&] { order.push_back(2); });
    PostMessage(hwnd, kMsgA, 3, 0);
    while (PumpOneMessage()) {
    }
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    DestroyTarget(hwnd);

    auto payload = std::make_shared<int>(5);
    std::weak_ptr<int> watch = payload;
    std::promise<DWORD> id;
    std::promise<void> posted;
    std::thread other([&] {
        id.set_value(GetCurrentThreadId());
        posted.get_future().wait();
    });
    const DWORD otherId = id.get_future().get();
    ASSERT_TRUE(PostTask(otherId, [p = std::move(payload)] { FAIL() << "ran after its queue"; }));
    posted.set_value();
    other.join();
    EXPECT_TRUE(watch.expired());
    EXPECT_FALSE(PostThreadMessage(otherId, kMsgA, 0, 0));
}

TEST(MessageQueue, DestroyingTheQueueDropsItsWorkAndKeepsTheThreadId) {
    const DWORD id = GetCurrentThreadId();
    int calls = 0;
    HWND hwnd = CreateTarget([&](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return ++calls; });
    PostMessage(hwnd, kMsgA, 0, 0);
    PostQuitMessage(1);
    SetTimer(nullptr, 5, 10);
    DestroyThreadQueue();
    EXPECT_FALSE(IsTarget(hwnd));
    EXPECT_EQ(GetCurrentThreadId(), id);  // a new, empty queue
    MSG msg;
    EXPECT_FALSE(PeekMessage(&msg, true));
    EXPECT_EQ(calls, 0);
    EXPECT_FALSE(KillTimer(nullptr, 5));
}

TEST(MessageQueue, PumpOneLeavesQuitForTheLoop) {
    PostQuitMessage(5);
    EXPECT_FALSE(PumpOneMessage());
    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, false));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_FALSE(GetMessage(&msg));
    EXPECT_EQ(msg.wParam, 5u);
}

TEST(MessageQueue, NestedLoopEndsOnItsFlagAndPassesQuitOutward) {
    bool modalDone = false;
    std::vector<UINT> seen;
    int nestedResult = -1;
    bool nestedByQuit = false;
    HWND hwnd = CreateTarget([&](HWND self, UINT m, WPARAM, LPARAM) -> LRESULT {
        seen.push_back(m);
        if (m == kMsgA) {  // a modal loop inside a handler
            PostMessage(self, kMsgB, 0, 0);
            RunMessageLoop({[&] { return modalDone; }, {}});
            // second modal loop, ended by WM_QUIT
            PostQuitMessage(11);
            nestedResult = RunMessageLoop({[] { return false; }, {}});
            nestedByQuit = LastLoopEndedByQuit();
        } else if (m == kMsgB) {
            modalDone = true;
        }
        return 0;
    });
    PostMessage(hwnd, kMsgA, 0, 0);
    EXPECT_EQ(RunMessageLoop(), 11);
    EXPECT_EQ(nestedResult, 11);
    EXPECT_TRUE(nestedByQuit);
    EXPECT_EQ(seen, (std::vector<UINT>{kMsgA, kMsgB}));
    DestroyTarget(hwnd);
}

TEST(MessageQueue, PreTranslateConsumesMessages) {
    int dispatched = 0;
    HWND hwnd = CreateTarget([&](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return ++dispatched; });
    PostMessage(hwnd, kMsgA, 0, 0);
    PostMessage(hwnd, kMsgB, 0, 0);
    PostMessage(nullptr, kMsgA, 0, 0);  // a thread message
    PostQuitMessage(0);
    int filtered = 0;
    RunMessageLoop({{}, [&](MSG& m) { return m.message == kMsgA && ++filtered; }});
    EXPECT_EQ(filtered, 2);
    EXPECT_EQ(dispatched, 1);
    DestroyTarget(hwnd);
}

class MessageQueueTimers : public ::testing::Test {
protected:
    void SetUp() override { SetClock(&clock); }
    void TearDown() override { SetClock(nullptr); }
    FakeClock clock;
};

TEST_F(MessageQueueTimers, FireOnTheSteppedClockAndReplaceById) {
    std::vector<WPARAM> fired;
    HWND hwnd = CreateTarget([&](HWND, UINT m, WPARAM w, LPARAM) -> LRESULT {
        if (m == WM_TIMER) fired.push_back(w);
        return 0;
    });
    EXPECT_EQ(SetTimer(hwnd, 1000, 200), 1000u);
    SetTimer(hwnd, 1005, 1000);
    EXPECT_FALSE(PumpOneMessage());
    clock.Step(199);
    EXPECT_FALSE(PumpOneMessage());
    clock.Step(1);
    EXPECT_TRUE(PumpOneMessage());
    EXPECT_FALSE(PumpOneMessage());  // one WM_TIMER per period, no backlog
    clock.Step(5000);
    while (PumpOneMessage()) {
    }
    EXPECT_EQ(fired, (std::vector<WPARAM>{1000, 1000, 1005}));

    fired.clear();
    SetTimer(hwnd, 1000, 500);  // re-setting restarts with the new period
    clock.Step(300);
    EXPECT_FALSE(PumpOneMessage());
    EXPECT_TRUE(KillTimer(hwnd, 1005));
    EXPECT_FALSE(KillTimer(hwnd, 1005));
    clock.Step(200);
    while (PumpOneMessage()) {
    }
    EXPECT_EQ(fired, (std::vector<WPARAM>{1000}));

    DestroyTarget(hwnd);  // takes its timers
    clock.Step(10000);
    MSG msg;
    EXPECT_FALSE(PeekMessage(&msg, true));
}

TEST_F(MessageQueueTimers, SteppingTheClockWakesAWaitingLoop) {
    std::atomic<int> ticks{0};
    LoopThread loop([&](HWND self, UINT m, WPARAM, LPARAM) -> LRESULT {
        if (m == WM_TIMER && ++ticks == 2) KillTimer(self, 1);
        return 0;
    });
    SetTimer(loop.hwnd(), 1, 100);
    for (int i = 0; i < 200 && ticks < 2; ++i) {
        clock.Step(100);
        SleepMs(5);
    }
    EXPECT_EQ(ticks.load(), 2);
    loop.Quit();
}

TEST(MessageQueue, FdCallbacksRunOnTheLoopThread) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::atomic<DWORD> ranOn{0};
    std::promise<DWORD> started;
    std::thread loop([&] {
        WatchFd(fds[0], kFdRead, [&](int fd, unsigned events) {
            char c;
            ASSERT_TRUE(events & kFdRead);
            ASSERT_EQ(read(fd, &c, 1), 1);
            ranOn = GetCurrentThreadId();
            if (c == 'q') PostQuitMessage(0);
        });
        started.set_value(GetCurrentThreadId());
        RunMessageLoop();
        EXPECT_TRUE(UnwatchFd(fds[0]));
    });
    const DWORD loopId = started.get_future().get();
    ASSERT_EQ(write(fds[1], "q", 1), 1);
    loop.join();
    EXPECT_EQ(ranOn.load(), loopId);
    close(fds[0]);
    close(fds[1]);
}

// A client library that reads its connection during a call (as Xlib does in
// a round trip) leaves input in its own queue, where poll cannot see it: the
// watch's buffered check runs the callback anyway, with no byte to come.
TEST(MessageQueue, InputAlreadyReadOffTheFdStillRunsItsCallback) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::deque<char> clientQueue;
    bool handled = false;
    std::thread loop([&] {
        WatchFd(
            fds[0], kFdRead,
            [&](int fd, unsigned) {
                char c;
                while (clientQueue.empty() && read(fd, &c, 1) == 1) clientQueue.push_back(c);
                if (!clientQueue.empty() && clientQueue.front() == 'q') {
                    handled = true;
                    PostQuitMessage(0);
                }
                clientQueue.clear();
            },
            [&] { return !clientQueue.empty(); });
        ASSERT_EQ(write(fds[1], "q", 1), 1);
        // The "round trip": the byte moves into the client's queue before
        // the loop first waits.
        PostTask(GetCurrentThreadId(), [&] {
            char c;
            if (read(fds[0], &c, 1) == 1) clientQueue.push_back(c);
        });
        SetTimer(nullptr, 1, 3000);  // what a stuck loop would wait for
        MSG msg;
        while (GetMessage(&msg)) {
            if (msg.message == WM_TIMER) PostQuitMessage(1);
            DispatchMessage(msg);
        }
        UnwatchFd(fds[0]);
    });
    loop.join();
    EXPECT_TRUE(handled) << "the queued input waited for the fd";
    close(fds[0]);
    close(fds[1]);
}

TEST(MessageQueue, WaitMessageTimesOutAndSeesPosts) {
    EXPECT_FALSE(WaitMessage(10));
    const DWORD self = GetCurrentThreadId();
    std::thread poster([self] { PostThreadMessage(self, kMsgA, 1, 0); });
    EXPECT_TRUE(WaitMessage(INFINITE));
    poster.join();
    MSG msg;
    ASSERT_TRUE(GetMessage(&msg));
    EXPECT_EQ(msg.message, kMsgA);
    EXPECT_EQ(msg.hwnd, nullptr);
}

TEST(MessageQueue, ManyPostersKeepPerThreadOrderWhileOthersSend) {
    constexpr int kThreads = 8;
    constexpr int kEach = 200;
    std::vector<int> last(kThreads, -1);
    std::atomic<bool> inOrder{true};
    std::atomic<int> sends{0};
    LoopThread loop([&](HWND, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == kMsgB) return ++sends;
        if (static_cast<int>(l) != last[w] + 1) inOrder = false;
        last[w] = static_cast<int>(l);
        return 0;
    });
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                PostMessage(loop.hwnd(), kMsgA, t, i);
                if (i % 10 == 0) {
                    EXPECT_GT(SendMessage(loop.hwnd(), kMsgB, 0, 0), 0);
                }
            }
        });
    }
    for (auto& t : threads) t.join();
    loop.Quit();  // the quit comes after every posted message
    EXPECT_TRUE(inOrder.load());
    EXPECT_EQ(sends.load(), kThreads * kEach / 10);
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(last[t], kEach - 1);
}

}  // namespace
