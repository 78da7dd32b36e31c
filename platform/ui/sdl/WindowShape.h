#pragma once
// The shape of a window whose frame leaves pixels transparent (outside its
// rounded corners) where the desktop cannot show them through: the window
// keeps, row by row, the run from its first to its last pixel of at least
// half alpha, so those corners show what lies beneath instead of black.
// Holes inside a row are kept: only the outline is cut.
#include <cstdint>
#include <vector>

typedef struct _XDisplay Display;

namespace qv::ui::sdl {

struct ShapeRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const ShapeRect&) const = default;
};

// The kept part of a premultiplied ARGB32 frame (rows of `width` pixels) as
// rectangles, top to bottom; neighbouring rows with the same run share one.
std::vector<ShapeRect> OpaqueOutline(const std::uint32_t* pixels, int width, int height);

class WindowShape {
public:
    // Shapes the window to the frame's outline, or takes the shape off when
    // the frame covers the whole window or `shaped` is false. X is asked only
    // when the shape changes.
    void Apply(Display* display, unsigned long window, const std::vector<std::uint32_t>& frame, int width, int height,
               bool shaped);

private:
    std::vector<ShapeRect> m_applied;  // empty: unshaped
};

}  // namespace qv::ui::sdl
