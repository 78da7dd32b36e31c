#include "platform/ui/sdl/SdlVideoSession.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <array>
#include <cstdlib>
#include <string>

#include "platform/os/Log.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/WinDefs.h"
#include "platform/ui/sdl/SdlWindow.h"
#include "platform/ui/sdl/X11Visuals.h"

namespace qv::ui::sdl {

std::shared_ptr<SdlVideoSession> SdlVideoSession::Open() {
    // The loop waits on the X connection, so X11 it is (XWayland on Wayland).
    if (!std::getenv("SDL_VIDEODRIVER")) SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    // The screensaver is the desktop's business, and keeping it away would
    // wake the loop every 30 s.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    // Frames are drawn on the CPU already: X's own image transfer takes them,
    // with no GL driver loaded on the plug-in's thread.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // The click that brings a window the focus is a click like any other:
    // a pad clicked while another program has the focus plays at once.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // Skinned windows have transparent corners: a visual with alpha lets a
    // compositing manager show through them (the windows are shaped where
    // none does), and the compositor must not be asked to stand aside.
    if (const unsigned long visual = FindArgbVisualOfDisplay())
        SDL_SetHint(SDL_HINT_VIDEO_X11_WINDOW_VISUALID, std::to_string(visual).c_str());
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    // SIGINT and SIGTERM are the program's: SDL would turn them into quit
    // events that no loop here reads.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        QV_LOGE("SDL video: %s", SDL_GetError());
        return nullptr;
    }
    // X's events come too, each before SDL's own for it: a press or release
    // tells where the pointer was on the screen, which SDL's events do not.
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    return std::shared_ptr<SdlVideoSession>(new SdlVideoSession());
}

SdlVideoSession::SdlVideoSession() : m_thread(qv::os::GetCurrentThreadId()) {}

SdlVideoSession::~SdlVideoSession() {
    if (m_fd >= 0) qv::os::UnwatchFd(m_fd);
    for (auto& [id, cursor] : m_cursors) SDL_FreeCursor(cursor);
    // Events of the closed windows would otherwise greet the next session.
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    // With nothing else of SDL running, let it free what it keeps between
    // subsystems too (hints, its D-Bus link): a plug-in run leaves nothing.
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
}

void SdlVideoSession::SetCursor(CursorId cursor) {
    SDL_Cursor*& made = m_cursors[cursor];
    if (!made) {
        SDL_SystemCursor system = SDL_SYSTEM_CURSOR_ARROW;
        switch (cursor) {
        case CursorId::Arrow: system = SDL_SYSTEM_CURSOR_ARROW; break;
        case CursorId::Hand: system = SDL_SYSTEM_CURSOR_HAND; break;
        case CursorId::IBeam: system = SDL_SYSTEM_CURSOR_IBEAM; break;
        case CursorId::SizeAll: system = SDL_SYSTEM_CURSOR_SIZEALL; break;
        case CursorId::SizeWE: system = SDL_SYSTEM_CURSOR_SIZEWE; break;
        case CursorId::SizeNS: system = SDL_SYSTEM_CURSOR_SIZENS; break;
        case CursorId::SizeNWSE: system = SDL_SYSTEM_CURSOR_SIZENWSE; break;
        case CursorId::SizeNESW: system = SDL_SYSTEM_CURSOR_SIZENESW; break;
        }
        made = SDL_CreateSystemCursor(system);
        if (!made) {
            QV_LOGW("SDL_CreateSystemCursor: %s", SDL_GetError());
            m_cursors.erase(cursor);
            return;
        }
    }
    SDL_SetCursor(made);
    ScheduleDrain();
}

bool SdlVideoSession::IsOwnerThread() const { return qv::os::GetCurrentThreadId() == m_thread; }

void SdlVideoSession::Register(SdlWindow* window, SDL_Window* sdlWindow) {
    m_windows[SDL_GetWindowID(sdlWindow)] = window;
    if (m_fd < 0) WatchConnection(sdlWindow);
}

void SdlVideoSession::Unregister(SDL_Window* sdlWindow) {
    const Uint32 id = SDL_GetWindowID(sdlWindow);
    m_windows.erase(id);
    if (m_focused == id) m_focused = 0;
    if (m_lastPressed == id) m_lastPressed = 0;
}

void SdlVideoSession::WatchConnection(SDL_Window* sdlWindow) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(sdlWindow, &info) || info.subsystem != SDL_SYSWM_X11) {
        QV_LOGE("SDL window is not on X11; its input cannot wake the loop");
        return;
    }
    Display* display = info.info.x11.display;
    m_fd = ConnectionNumber(display);
    std::weak_ptr<SdlVideoSession> weak = weak_from_this();
    // Any X call with a reply (creating or showing a window, a property)
    // reads the events that came before it into Xlib's queue, where the
    // connection no longer shows them; SDL's own queue may hold some too.
    // Either way the loop drains at once instead of waiting for more input.
    auto buffered = [display] {
        return XEventsQueued(display, QueuedAlready) > 0 || SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    };
    qv::os::WatchFd(
        m_fd, qv::os::kFdRead,
        [weak](int, unsigned) {
            if (auto self = weak.lock()) {
                ++self->m_wakes;
                self->Drain();
            }
        },
        buffered);
}

void SdlVideoSession::ScheduleDrain() {
    if (m_drainPosted) return;
    std::weak_ptr<SdlVideoSession> weak = weak_from_this();
    m_drainPosted = qv::os::PostTask(m_thread, [weak] {
        if (auto self = weak.lock()) {
            self->m_drainPosted = false;
            self->Drain();
        }
    }) != FALSE;
}

void SdlVideoSession::Drain() {
    // Keep the session alive even if a window's handling closes the last window.
    auto keep = shared_from_this();
    std::array<SDL_Event, 64> events;
    SDL_PumpEvents();
    do {
        for (;;) {
            const int n = SDL_PeepEvents(events.data(), static_cast<int>(events.size()), SDL_GETEVENT, SDL_FIRSTEVENT,
                                         SDL_LASTEVENT);
            if (n <= 0) break;
            for (int i = 0; i < n; ++i) Route(events[static_cast<size_t>(i)]);
        }
        for (const auto& [id, window] : m_windows) {
            window->FollowPointer();
            window->KeepPointerHeld();
        }
        // Asking X for the pointer reads what waits on the connection into
        // the client's queue, where the connection's wake no longer shows
        // it: take it now.
        SDL_PumpEvents();
    } while (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT));
    // Decided once the batch is through: a focus moving between our own
    // windows loses it and gains it in the same batch.
    if (m_focusLeft && m_focused == 0) DeactivatePopups();
    m_focusLeft = false;
}

void SdlVideoSession::TrackFocus(const SDL_WindowEvent& event) {
    if (event.event == SDL_WINDOWEVENT_FOCUS_GAINED && m_windows.count(event.windowID)) {
        m_focused = event.windowID;
        m_focusLeft = false;
    } else if (event.event == SDL_WINDOWEVENT_FOCUS_LOST && event.windowID == m_focused) {
        m_focused = 0;
        m_focusLeft = true;
    }
}

void SdlVideoSession::DeactivatePopups() {
    // Posted: a popup told may close and take its window with it.
    for (const auto& [id, window] : m_windows) {
        if (window->IsNoActivatePopup() && window->GetInputTarget())
            qv::os::PostMessage(window->GetInputTarget(), WM_ACTIVATE, WA_INACTIVE, 0);
    }
}

void SdlVideoSession::Route(const SDL_Event& event) {
    Uint32 id = 0;
    switch (event.type) {
    case SDL_WINDOWEVENT:
        id = event.window.windowID;
        TrackFocus(event.window);
        break;
    case SDL_MOUSEMOTION: id = event.motion.windowID; break;
    case SDL_MOUSEBUTTONDOWN:
        id = event.button.windowID;
        m_lastPressed = id;
        break;
    case SDL_MOUSEBUTTONUP: id = event.button.windowID; break;
    case SDL_MOUSEWHEEL: id = event.wheel.windowID; break;
    // Without a window manager no window may hold SDL's keyboard focus; keys
    // then go to the window clicked last.
    case SDL_KEYDOWN:
    case SDL_KEYUP: id = event.key.windowID ? event.key.windowID : m_lastPressed; break;
    case SDL_TEXTINPUT: id = event.text.windowID ? event.text.windowID : m_lastPressed; break;
    case SDL_TEXTEDITING: id = event.edit.windowID ? event.edit.windowID : m_lastPressed; break;
    case SDL_SYSWMEVENT:
        if (event.syswm.msg) RouteX11(*event.syswm.msg);
        return;
    default: return;
    }
    auto it = m_windows.find(id);
    if (it != m_windows.end()) it->second->OnSdlEvent(event);
}

void SdlVideoSession::RouteX11(const SDL_SysWMmsg& msg) {
    if (msg.subsystem != SDL_SYSWM_X11) return;
    const XEvent& event = msg.msg.x11.event;
    if (event.type != ButtonPress && event.type != ButtonRelease) return;
    const CPoint at(event.xbutton.x_root, event.xbutton.y_root);
    for (const auto& [id, window] : m_windows) {
        if (window->GetX11Window() != event.xbutton.window) continue;
        if (event.type == ButtonPress) window->OnButtonPress(at);
        else window->OnButtonRelease(at);
    }
}

}  // namespace qv::ui::sdl
