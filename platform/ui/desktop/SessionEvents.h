#pragma once
// The system's sleep and shutdown, announced by logind on the system bus,
// delivered as the Windows messages host windows answer:
//   PrepareForSleep(true)     WM_POWERBROADCAST, PBT_APMSUSPEND (4)
//   PrepareForSleep(false)    WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC (18)
//   PrepareForShutdown(true)  WM_QUERYENDSESSION, then WM_ENDSESSION (TRUE)
// Only the windows added here get them, sent on the thread that opened the
// object (the windows' own). While it exists the program holds logind's
// delay lock, so the system waits (up to logind's limit) until the windows
// have answered before it sleeps or shuts down; the lock is taken again on
// resume.
#include <memory>
#include <vector>

#include "platform/os/Types.h"
#include "platform/os/UniqueFd.h"

typedef struct sd_bus sd_bus;
typedef struct sd_bus_slot sd_bus_slot;

namespace qv::desktop {

constexpr WPARAM PBT_APMSUSPEND = 4;
constexpr WPARAM PBT_APMRESUMEAUTOMATIC = 18;

class SessionEvents {
public:
    // Connects to logind for the calling (UI) thread; null, and nothing
    // happens, without a system bus or without logind on it.
    [[nodiscard]] static std::unique_ptr<SessionEvents> Open();
    ~SessionEvents();
    SessionEvents(const SessionEvents&) = delete;
    SessionEvents& operator=(const SessionEvents&) = delete;

    // Windows that get the messages; a window gone meanwhile is skipped.
    void AddWindow(HWND hwnd);
    void RemoveWindow(HWND hwnd);
    // Whether the delay lock is held now.
    bool HoldsDelayLock() const { return m_lock.IsValid(); }

private:
    friend struct SessionEventsCallbacks;
    SessionEvents() = default;
    void OnPrepareForSleep(bool start);
    void OnPrepareForShutdown(bool start);
    void TakeDelayLock();
    void Send(UINT msg, WPARAM wParam);
    void Process();

    sd_bus* m_bus = nullptr;
    sd_bus_slot* m_sleepSlot = nullptr;
    sd_bus_slot* m_shutdownSlot = nullptr;
    int m_busFd = -1;
    DWORD m_thread = 0;
    qv::os::UniqueFd m_lock;
    std::vector<HWND> m_windows;
};

}  // namespace qv::desktop
