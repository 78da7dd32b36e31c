#include "platform/ui/sdl/X11PointerHold.h"

#include "platform/os/Log.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/sdl/SdlMessages.h"

// Last: Xlib's macros (None, Status...) must not meet our headers.
#include <X11/Xlib.h>

namespace qv::ui::sdl {
namespace {

constexpr long kPointerEvents = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;

UINT ButtonBit(unsigned button) {
    switch (button) {
    case Button1: return MK_LBUTTON;
    case Button2: return MK_MBUTTON;
    case Button3: return MK_RBUTTON;
    default: return 0;
    }
}

UINT KeyFlags(unsigned state) {
    UINT flags = 0;
    if (state & ShiftMask) flags |= MK_SHIFT;
    if (state & ControlMask) flags |= MK_CONTROL;
    return flags;
}

}  // namespace

X11PointerHold::X11PointerHold(const char* displayName, unsigned long window, HWND target)
    : m_display(XOpenDisplay(displayName)), m_window(window), m_target(target) {
    if (!m_display) {
        QV_LOGE("XOpenDisplay(%s) failed: the pointer is not held", displayName ? displayName : "");
        return;
    }
    const int fd = ConnectionNumber(m_display);
    Display* display = m_display;
    m_watched = qv::os::WatchFd(
                    fd, qv::os::kFdRead, [this](int, unsigned) { ReadEvents(); },
                    [display] { return XEventsQueued(display, QueuedAlready) > 0; }) != FALSE;
}

X11PointerHold::~X11PointerHold() {
    if (!m_display) return;
    if (m_watched) qv::os::UnwatchFd(ConnectionNumber(m_display));
    if (m_held) XUngrabPointer(m_display, CurrentTime);
    XCloseDisplay(m_display);  // flushes the ungrab
}

bool X11PointerHold::Grab() {
    if (m_held || !m_display) return m_held;
    const int rc = XGrabPointer(m_display, m_window, False, kPointerEvents, GrabModeAsync, GrabModeAsync, None, None,
                                CurrentTime);
    m_held = rc == GrabSuccess;
    return m_held;
}

void X11PointerHold::ReadEvents() {
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        Deliver(event);
    }
}

// With owner_events off every point comes relative to the held window.
void X11PointerHold::Deliver(const _XEvent& event) {
    UINT message = 0;
    WPARAM wParam = 0;
    switch (event.type) {
    case MotionNotify:
        m_last = CPoint(event.xmotion.x, event.xmotion.y);
        message = WM_MOUSEMOVE;
        wParam = m_buttons | KeyFlags(event.xmotion.state);
        break;
    case ButtonPress:
    case ButtonRelease: {
        const bool down = event.type == ButtonPress;
        const unsigned button = event.xbutton.button;
        m_last = CPoint(event.xbutton.x, event.xbutton.y);
        if (button == Button4 || button == Button5) {
            if (!down) return;
            const int delta = button == Button4 ? WHEEL_DELTA : -WHEEL_DELTA;
            message = WM_MOUSEWHEEL;
            wParam = (static_cast<WPARAM>(delta & 0xFFFF) << 16) | m_buttons | KeyFlags(event.xbutton.state);
            break;
        }
        const UINT bit = ButtonBit(button);
        if (!bit) return;
        if (down) m_buttons |= bit;
        else m_buttons &= ~bit;
        switch (bit) {
        case MK_LBUTTON: message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
        case MK_RBUTTON: message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
        default: message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
        }
        wParam = m_buttons | KeyFlags(event.xbutton.state);
        break;
    }
    default:
        return;
    }
    qv::os::PostMessage(m_target, message, wParam, MAKELPARAM(m_last.x, m_last.y));
}

}  // namespace qv::ui::sdl
