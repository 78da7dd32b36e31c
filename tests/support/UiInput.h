#pragma once
// Input given to a host window as its display backend delivers it: mouse
// messages in client coordinates, wheel, keys and typed characters. Page
// and control tests use these instead of composing messages.
#include "platform/ui/SHostWnd.h"

namespace qv::test {

void MouseDown(ui::SHostWnd& host, ui::CPoint pt, bool right = false);
void MouseUp(ui::SHostWnd& host, ui::CPoint pt, bool right = false);
// flags: the buttons held (MK_LBUTTON while dragging).
void MouseMove(ui::SHostWnd& host, ui::CPoint pt, UINT flags = 0);
// Down and up at the point; no up when the down destroyed the window.
void Click(ui::SHostWnd& host, ui::CPoint pt, bool right = false);
// Presses at from, moves to `to` in steps and releases there. The points are
// client coordinates of the window where it stood when the drag began; the
// pointer keeps its place on the screen while the window moves under it.
void Drag(ui::SHostWnd& host, ui::CPoint from, ui::CPoint to, int steps = 4);
// delta in WHEEL_DELTA units (120 per notch; positive turns away from the user).
void Wheel(ui::SHostWnd& host, int delta, ui::CPoint pt);
void KeyDown(ui::SHostWnd& host, UINT vk);
void KeyUp(ui::SHostWnd& host, UINT vk);
void Char(ui::SHostWnd& host, char16_t ch);
ui::CPoint CenterOf(const ui::SWindow* wnd);
// Scrolls the scroll view that holds the window (if one does) so that the
// window shows, as the user scrolls it, and updates the host.
void ScrollIntoView(ui::SHostWnd& host, ui::SWindow& wnd);

}  // namespace qv::test
