#include "tests/desktop/FakeLogind.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace qv::test {

FakeLogind::FakeLogind() {
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

FakeLogind::~FakeLogind() {
    m_stop.store(true);
    if (m_thread.joinable()) m_thread.join();
    for (int fd : m_locks) close(fd);
    sd_bus_flush_close_unref(m_bus);
}

void FakeLogind::Emit(const char* signal, bool start) {
    Queue([this, signal, start] {
        sd_bus_emit_signal(m_bus, "/org/freedesktop/login1", "org.freedesktop.login1.Manager", signal, "b", start ? 1 : 0);
    });
}

int FakeLogind::Inhibits() {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_locks.size());
}

bool FakeLogind::LastLockHeld() {
    int fd = -1;
    {
        std::lock_guard lock(m_mutex);
        if (m_locks.empty()) return false;
        fd = m_locks.back();
    }
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, 0) == 0;
}

int FakeLogind::OnInhibit(sd_bus_message* m, void* self, sd_bus_error*) {
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

void FakeLogind::Queue(std::function<void()> task) {
    std::lock_guard lock(m_mutex);
    m_tasks.push_back(std::move(task));
}

void FakeLogind::RunQueued() {
    std::vector<std::function<void()>> tasks;
    {
        std::lock_guard lock(m_mutex);
        tasks.swap(m_tasks);
    }
    for (auto& t : tasks) t();
    if (!tasks.empty()) sd_bus_flush(m_bus);
}

}  // namespace qv::test
