#include "platform/ui/desktop/SessionEvents.h"

#include <fcntl.h>
#include <systemd/sd-bus.h>

#include <algorithm>

#include "platform/os/Log.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/WinDefs.h"

namespace qv::desktop {
namespace {

constexpr const char* kLogind = "org.freedesktop.login1";
constexpr const char* kLogindPath = "/org/freedesktop/login1";
constexpr const char* kManager = "org.freedesktop.login1.Manager";

bool HasOwner(sd_bus* bus, const char* name) {
    sd_bus_message* reply = nullptr;
    int has = 0;
    int r = sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                               "NameHasOwner", nullptr, &reply, "s", name);
    if (r >= 0) r = sd_bus_message_read(reply, "b", &has);
    sd_bus_message_unref(reply);
    return r >= 0 && has;
}

}  // namespace

struct SessionEventsCallbacks {
    static int OnSleep(sd_bus_message* m, void* self, sd_bus_error*) {
        int start = 0;
        if (sd_bus_message_read(m, "b", &start) >= 0) static_cast<SessionEvents*>(self)->OnPrepareForSleep(start != 0);
        return 0;
    }
    static int OnShutdown(sd_bus_message* m, void* self, sd_bus_error*) {
        int start = 0;
        if (sd_bus_message_read(m, "b", &start) >= 0) static_cast<SessionEvents*>(self)->OnPrepareForShutdown(start != 0);
        return 0;
    }
};

std::unique_ptr<SessionEvents> SessionEvents::Open() {
    std::unique_ptr<SessionEvents> events(new SessionEvents);
    if (sd_bus_open_system(&events->m_bus) < 0) {
        events->m_bus = nullptr;
        QV_LOGI("no system bus: sleep and shutdown are not announced");
        return nullptr;
    }
    if (!HasOwner(events->m_bus, kLogind)) {
        QV_LOGI("no logind on the system bus: sleep and shutdown are not announced");
        return nullptr;
    }
    if (sd_bus_match_signal(events->m_bus, &events->m_sleepSlot, kLogind, kLogindPath, kManager, "PrepareForSleep",
                            &SessionEventsCallbacks::OnSleep, events.get()) < 0 ||
        sd_bus_match_signal(events->m_bus, &events->m_shutdownSlot, kLogind, kLogindPath, kManager,
                            "PrepareForShutdown", &SessionEventsCallbacks::OnShutdown, events.get()) < 0) {
        QV_LOGE("cannot watch logind's signals");
        return nullptr;
    }
    events->TakeDelayLock();
    events->m_thread = qv::os::GetCurrentThreadId();
    events->m_busFd = sd_bus_get_fd(events->m_bus);
    SessionEvents* self = events.get();
    qv::os::WatchFd(events->m_busFd, qv::os::kFdRead, [self](int, unsigned) { self->Process(); });
    events->Process();
    return events;
}

SessionEvents::~SessionEvents() {
    if (m_busFd >= 0 && qv::os::GetCurrentThreadId() == m_thread) qv::os::UnwatchFd(m_busFd);
    sd_bus_slot_unref(m_sleepSlot);
    sd_bus_slot_unref(m_shutdownSlot);
    if (m_bus) sd_bus_flush_close_unref(m_bus);
}

void SessionEvents::AddWindow(HWND hwnd) {
    if (hwnd && std::find(m_windows.begin(), m_windows.end(), hwnd) == m_windows.end()) m_windows.push_back(hwnd);
}

void SessionEvents::RemoveWindow(HWND hwnd) { std::erase(m_windows, hwnd); }

void SessionEvents::TakeDelayLock() {
    if (m_lock.IsValid()) return;
    sd_bus_message* reply = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    int fd = -1;
    int r = sd_bus_call_method(m_bus, kLogind, kLogindPath, kManager, "Inhibit", &error, &reply, "ssss",
                               "sleep:shutdown", "Quorvel", "closes the sound card's session", "delay");
    if (r >= 0) r = sd_bus_message_read(reply, "h", &fd);
    // The message owns its descriptor: keep a copy of our own.
    if (r >= 0) m_lock.Reset(::fcntl(fd, F_DUPFD_CLOEXEC, 3));
    if (r < 0 || !m_lock.IsValid()) {
        QV_LOGW("no delay lock from logind (%s): the system may sleep before the windows answer",
                error.message ? error.message : "no descriptor");
    }
    sd_bus_error_free(&error);
    sd_bus_message_unref(reply);
}

void SessionEvents::Send(UINT msg, WPARAM wParam) {
    std::vector<HWND> windows = m_windows;  // a window may remove itself
    for (HWND hwnd : windows) qv::os::SendMessage(hwnd, msg, wParam, 0);
}

void SessionEvents::OnPrepareForSleep(bool start) {
    if (start) {
        Send(WM_POWERBROADCAST, PBT_APMSUSPEND);
        m_lock.Reset();  // answered: the system may sleep now
    } else {
        TakeDelayLock();
        Send(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC);
    }
}

void SessionEvents::OnPrepareForShutdown(bool start) {
    if (start) {
        Send(WM_QUERYENDSESSION, 0);
        Send(WM_ENDSESSION, TRUE);
        m_lock.Reset();
    } else {
        TakeDelayLock();  // the shutdown was called off
    }
}

void SessionEvents::Process() {
    while (sd_bus_process(m_bus, nullptr) > 0) {
    }
}

}  // namespace qv::desktop
