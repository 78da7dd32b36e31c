#pragma once
// logind's part that the program uses, on the bus DBUS_SYSTEM_BUS_ADDRESS
// names (a private one in tests): the delay lock and the two signals. The
// lock is a pipe: the program holds the write end, so the read end here sees
// the hang-up once it is released. The bus is served by a thread of its own,
// stopped and joined when the object goes.
#include <systemd/sd-bus.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace qv::test {

class FakeLogind {
public:
    FakeLogind();
    ~FakeLogind();
    FakeLogind(const FakeLogind&) = delete;
    FakeLogind& operator=(const FakeLogind&) = delete;

    // Whether it owns logind's name on the bus.
    bool Ok() const { return m_ok; }
    // Emits "PrepareForSleep" or "PrepareForShutdown" with the flag.
    void Emit(const char* signal, bool start);
    // Delay locks handed out so far.
    int Inhibits();
    // Whether the program still holds the lock it was given last.
    bool LastLockHeld();

private:
    static int OnInhibit(sd_bus_message* m, void* self, sd_bus_error*);
    void Queue(std::function<void()> task);
    void RunQueued();

    sd_bus* m_bus = nullptr;
    bool m_ok = false;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    std::mutex m_mutex;
    std::vector<int> m_locks;
    std::vector<std::function<void()>> m_tasks;
};

}  // namespace qv::test
