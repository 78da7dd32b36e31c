// Sleep and shutdown from a fake logind on a private bus standing in for the
// system bus, as the messages registered windows get.
#include "platform/ui/desktop/SessionEvents.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "PrivateBus.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/WinDefs.h"

namespace qv::desktop {
namespace {

// logind's part that the program uses: the delay lock and the two signals.
// The lock is a pipe: the program holds the write end, so the read end here
// sees the hang-up once it is released.
class FakeLogind {
public:
    FakeLogind() {
        if (sd_bus_open_system(&m_bus) < 0) return;
        static const sd_bus_vtable vtable[] = {
            SD_BUS_VTABLE_START(0),
            SD_BUS_METHOD("Inhibit", "ssss", "h", OnInhibit, SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_SIGNAL("PrepareForSleep", "b", 0),
            SD_BUS_SIGNAL("PrepareForShutdown", "b", 0),
            SD_BUS_VTABLE_END,
        };
        sd_bus_add_object_vtable(m_bus, nullptr, "/org/freedesktop/login1", "org.freedesktop.login1.Manager", vtable, this);
        m_ok = sd_bus_request_name(m_bus, "org.freedesktop.login1", 0) >= 0;
        m_thread = std::thread([this] {
            while (!m_stop.load()) {
                RunQueued();
                if (sd_bus_process(m_bus, nullptr) > 0) continue;
                sd_bus_wait(m_bus, 10'000);
            }
        });
    }
    ~FakeLogind() {
        m_stop.store(true);
        if (m_thread.joinable()) m_thread.join();
        for (int fd : m_locks) close(fd);
        sd_bus_flush_close_unref(m_bus);
    }
    bool Ok() const { return m_ok; }
    void Emit(const char* signal, bool start) {
        Queue([this, signal, start] { sd_bus_emit_signal(m_bus, "/org/freedesktop/login1", "org.freedesktop.login1.Manager", signal, "b", start ? 1 : 0); });
    }
    int Inhibits() {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(m_locks.size());
    }
    // Whether the program still holds the lock it was given last.
    bool LastLockHeld() {
        int fd = -1;
        {
            std::lock_guard lock(m_mutex);
            if (m_locks.empty()) return false;
            fd = m_locks.back();
        }
        pollfd p{fd, POLLIN, 0};
        return poll(&p, 1, 0) == 0;
    }

private:
    static int OnInhibit(sd_bus_message* m, void* self, sd_bus_error*) {
        auto* logind = static_cast<FakeLogind*>(self);
        int fds[2];
        if (pipe(fds) != 0) return -errno;
        {
            // Counted before the reply, which the program may act on at once.
            std::lock_guard lock(logind->m_mutex);
            logind->m_locks.push_back(fds[0]);
        }
        int r = sd_bus_reply_method_return(m, "h", fds[1]);
        close(fds[1]);
        return r;
    }
    void Queue(std::function<void()> task) {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    void RunQueued() {
        std::vector<std::function<void()>> tasks;
        {
            std::lock_guard lock(m_mutex);
            tasks.swap(m_tasks);
        }
        for (auto& t : tasks) t();
        if (!tasks.empty()) sd_bus_flush(m_bus);
    }

    sd_bus* m_bus = nullptr;
    bool m_ok = false;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    std::mutex m_mutex;
    std::vector<int> m_locks;
    std::vector<std::function<void()>> m_tasks;
};

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
