#pragma once
// The car editor's scale: where millimetre 0,0 of the cabin lies in the
// window, the car body and its picture in pixels, and the conversions
// between millimetres (y upwards) and host-client pixels (y downwards).
// Pixels come from millimetres by integer division, as the axes are drawn.
#include "platform/ui/Geometry.h"

namespace qv::controls {

struct CarGeometry {
    // Layout attributes of the editor.
    int ldist = 40;  // window's left edge to the vertical axis, pixels
    int tdist = 20;  // top edge to the top of the axes
    int rdist = 20;  // right edge to the end of the horizontal axis
    int bdist = 20;  // bottom edge to the horizontal axis
    int xStart = -2000;  // millimetres at the vertical axis
    int yStart = -2000;  // millimetres at the horizontal axis
    int mmPerPx = 10;    // > 0
    int mmPerScale = 1000;
    int carWidth = 1825;
    int zhouJu = 2680;  // the wheelbase: the car's drawn length

    // Computed by Update from the window rectangle.
    qv::ui::CRect window;
    qv::ui::CPoint origin;  // pixel of millimetre 0,0
    qv::ui::CRect car;
    qv::ui::CRect carPicture;  // the car with half its width added above and below

    void Update(const qv::ui::CRect& windowRect);
    // Truncated towards zero, as integer division does for whole millimetres.
    qv::ui::CPoint ToPixels(double xMm, double yMm) const;
    qv::ui::CPoint ToMillimetres(qv::ui::CPoint px) const;
    // Pixels between two axis ticks, rounded; 0 when they would be closer
    // than one pixel.
    int TickPixels() const;
};

}  // namespace qv::controls
