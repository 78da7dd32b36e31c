#pragma once
// SDL's video subsystem on one thread, for as long as windows use it: opened
// with the first window, closed with the last (so every plug-in run gets a
// fresh one). The thread's message loop watches the X connection and the
// session drains SDL's events to their windows when it becomes readable.
#include <SDL_events.h>
#include <SDL_mouse.h>
#include <SDL_video.h>

#include <cstdint>
#include <map>
#include <memory>

#include "platform/os/Types.h"
#include "platform/ui/IDisplayBackend.h"

namespace qv::ui::sdl {

class SdlWindow;

class SdlVideoSession : public std::enable_shared_from_this<SdlVideoSession> {
public:
    // Null when SDL has no video here (no display).
    static std::shared_ptr<SdlVideoSession> Open();
    ~SdlVideoSession();
    SdlVideoSession(const SdlVideoSession&) = delete;
    SdlVideoSession& operator=(const SdlVideoSession&) = delete;

    DWORD GetThreadId() const { return m_thread; }
    bool IsOwnerThread() const;

    // The first window also brings the X connection into the loop.
    void Register(SdlWindow* window, SDL_Window* sdlWindow);
    void Unregister(SDL_Window* sdlWindow);

    // SDL calls that talk to the X server may read events into Xlib's
    // buffer, where the watched socket no longer shows them: a drain posted
    // after such calls collects them.
    void ScheduleDrain();
    // Pumps SDL and hands every event to its window.
    void Drain();

    // The pointer's shape (SDL has one for all windows); system cursors are
    // made on first use and freed with the session.
    void SetCursor(CursorId cursor);

    // Times the X connection woke the loop (for idle tests).
    std::uint64_t GetWakeCount() const { return m_wakes; }

private:
    SdlVideoSession();
    void WatchConnection(SDL_Window* sdlWindow);
    void Route(const SDL_Event& event);
    // X's own events: a button's press and release go to its window with
    // the pointer's screen point.
    void RouteX11(const SDL_SysWMmsg& msg);
    void TrackFocus(const SDL_WindowEvent& event);
    // The application lost the focus: every open no-activate popup (menus,
    // drop-downs) is told it is inactive, as a click elsewhere would.
    void DeactivatePopups();

    DWORD m_thread = 0;
    int m_fd = -1;
    bool m_drainPosted = false;
    std::uint64_t m_wakes = 0;
    std::map<Uint32, SdlWindow*> m_windows;  // by SDL window id
    std::map<CursorId, SDL_Cursor*> m_cursors;
    Uint32 m_lastPressed = 0;                // fallback target of keys without focus
    Uint32 m_focused = 0;                    // our window with the keyboard focus
    bool m_focusLeft = false;                // it lost the focus and no window of ours took it
};

}  // namespace qv::ui::sdl
