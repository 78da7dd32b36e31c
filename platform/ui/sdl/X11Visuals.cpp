#include "platform/ui/sdl/X11Visuals.h"

#include <string>

// Last: Xlib's macros (None, Status...) must not meet our headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace qv::ui::sdl {

unsigned long FindArgbVisual(Display* display) {
    if (!display) return 0;
    XVisualInfo wanted{};
    wanted.screen = DefaultScreen(display);
    wanted.depth = 32;
    wanted.c_class = TrueColor;
    int count = 0;
    XVisualInfo* found =
        XGetVisualInfo(display, VisualScreenMask | VisualDepthMask | VisualClassMask, &wanted, &count);
    unsigned long id = 0;
    for (int i = 0; i < count && !id; ++i) {
        // Colour in the low three bytes leaves the top one for alpha.
        if (found[i].red_mask == 0xFF0000 && found[i].green_mask == 0xFF00 && found[i].blue_mask == 0xFF)
            id = found[i].visualid;
    }
    if (found) XFree(found);
    return id;
}

unsigned long FindArgbVisualOfDisplay() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 0;
    const unsigned long id = FindArgbVisual(display);
    XCloseDisplay(display);
    return id;
}

bool HasCompositingManager(Display* display) {
    if (!display) return false;
    const std::string name = "_NET_WM_CM_S" + std::to_string(DefaultScreen(display));
    const Atom selection = XInternAtom(display, name.c_str(), False);
    return XGetSelectionOwner(display, selection) != 0;
}

}  // namespace qv::ui::sdl
