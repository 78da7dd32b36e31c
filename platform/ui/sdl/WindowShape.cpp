#include "platform/ui/sdl/WindowShape.h"

// Last: Xlib's macros (None, Status...) must not meet our headers.
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>

namespace qv::ui::sdl {
namespace {

constexpr std::uint32_t kHalfAlpha = 0x80;

bool Kept(std::uint32_t pixel) { return (pixel >> 24) >= kHalfAlpha; }

}  // namespace

std::vector<ShapeRect> OpaqueOutline(const std::uint32_t* pixels, int width, int height) {
    std::vector<ShapeRect> rects;
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* row = pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        int first = 0;
        while (first < width && !Kept(row[first])) ++first;
        if (first == width) continue;
        int last = width - 1;
        while (!Kept(row[last])) --last;
        const ShapeRect run{first, y, last + 1 - first, 1};
        ShapeRect* above = rects.empty() ? nullptr : &rects.back();
        if (above && above->y + above->height == y && above->x == run.x && above->width == run.width) {
            ++above->height;
        } else {
            rects.push_back(run);
        }
    }
    return rects;
}

void WindowShape::Apply(Display* display, unsigned long window, const std::vector<std::uint32_t>& frame, int width,
                        int height, bool shaped) {
    if (!display || !window) return;
    std::vector<ShapeRect> outline;
    if (shaped && frame.size() == static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        outline = OpaqueOutline(frame.data(), width, height);
    if (outline.size() == 1 && outline[0] == ShapeRect{0, 0, width, height}) outline.clear();  // the whole window
    if (outline == m_applied) return;
    if (outline.empty()) {
        XShapeCombineMask(display, window, ShapeBounding, 0, 0, 0, ShapeSet);
    } else {
        std::vector<XRectangle> rects;
        rects.reserve(outline.size());
        for (const ShapeRect& r : outline)
            rects.push_back({static_cast<short>(r.x), static_cast<short>(r.y), static_cast<unsigned short>(r.width),
                             static_cast<unsigned short>(r.height)});
        XShapeCombineRectangles(display, window, ShapeBounding, 0, 0, rects.data(), static_cast<int>(rects.size()),
                                ShapeSet, YXBanded);
    }
    XFlush(display);
    m_applied = std::move(outline);
}

}  // namespace qv::ui::sdl
