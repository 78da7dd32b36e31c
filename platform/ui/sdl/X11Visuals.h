#pragma once
// What the X server offers for windows whose frames have transparent parts
// (rounded corners): a visual with an alpha channel, and whether a
// compositing manager draws windows with it. Without both, transparent
// pixels show black unless the window is shaped (WindowShape).
typedef struct _XDisplay Display;

namespace qv::ui::sdl {

// The id of the screen's first 32-bit true-colour visual, whose spare byte
// is alpha; 0 when the server has none (no compositing extension).
unsigned long FindArgbVisual(Display* display);
// The same, asked of the X server that $DISPLAY names over a connection of
// its own (before SDL makes its first window).
unsigned long FindArgbVisualOfDisplay();
// Whether a compositing manager draws the default screen: it owns the
// selection _NET_WM_CM_S<screen>.
bool HasCompositingManager(Display* display);

}  // namespace qv::ui::sdl
