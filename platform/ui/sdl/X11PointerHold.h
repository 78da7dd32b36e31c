#pragma once
// Holds the pointer for one window, as Windows' mouse capture does for a
// popup: an active pointer grab on the window, made through a connection of
// its own so that SDL, which ungrabs whenever its mouse focus changes, cannot
// drop it. While held, every press, release, motion and wheel step reaches
// the window's host as mouse messages in client coordinates (points outside
// the window included), and no other window, of this program or another,
// sees them. The grab ends with the object.
//
// UI thread only.
#include "platform/ui/Geometry.h"
#include "platform/os/Types.h"

// Xlib's types, declared so that its macros stay out of this header.
struct _XDisplay;
union _XEvent;

namespace qv::ui::sdl {

class X11PointerHold {
public:
    // displayName: the display of the window (DisplayString of SDL's).
    X11PointerHold(const char* displayName, unsigned long window, HWND target);
    ~X11PointerHold();
    X11PointerHold(const X11PointerHold&) = delete;
    X11PointerHold& operator=(const X11PointerHold&) = delete;

    // Tries the grab until it succeeds: it fails while the window is not yet
    // viewable or another client holds the pointer. True once held.
    bool Grab();
    bool IsHeld() const { return m_held; }

private:
    void ReadEvents();
    void Deliver(const _XEvent& event);

    _XDisplay* m_display;
    unsigned long m_window;
    HWND m_target;
    bool m_held = false;
    bool m_watched = false;
    UINT m_buttons = 0;  // MK_* bits of the buttons held
    CPoint m_last;       // last pointer position, client coordinates
};

}  // namespace qv::ui::sdl
