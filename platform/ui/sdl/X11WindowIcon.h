#pragma once
// The icon a window shows the desktop (taskbar, window switcher): the
// property _NET_WM_ICON with every size given, so the desktop picks the one
// it draws instead of scaling one.
#include <vector>

#include "platform/ui/SBitmap.h"

typedef struct _XDisplay Display;

namespace qv::ui::sdl {

// Replaces the property; an empty list removes it.
void SetNetWmIcon(Display* display, unsigned long window, const std::vector<BitmapPtr>& sizes);

}  // namespace qv::ui::sdl
