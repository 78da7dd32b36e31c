#include "platform/ui/sdl/X11WindowIcon.h"

// Last: Xlib's macros (None, Status...) must not meet our headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace qv::ui::sdl {

void SetNetWmIcon(Display* display, unsigned long window, const std::vector<BitmapPtr>& sizes) {
    if (!display || !window) return;
    const Atom property = XInternAtom(display, "_NET_WM_ICON", False);
    // Format 32 properties travel as longs on the client side: per size its
    // width, its height, then its pixels as 0xAARRGGBB, not premultiplied.
    std::vector<long> data;
    for (const BitmapPtr& icon : sizes) {
        if (!icon || icon->Width() <= 0 || icon->Height() <= 0) continue;
        data.push_back(icon->Width());
        data.push_back(icon->Height());
        for (int y = 0; y < icon->Height(); ++y)
            for (int x = 0; x < icon->Width(); ++x) data.push_back(static_cast<long>(ToArgb(icon->GetPixel(x, y))));
    }
    if (data.empty()) {
        XDeleteProperty(display, window, property);
    } else {
        XChangeProperty(display, window, property, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
    }
    XFlush(display);
}

}  // namespace qv::ui::sdl
