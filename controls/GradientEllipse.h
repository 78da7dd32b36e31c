#pragma once
// The shaded ellipse the draggable thumbs are drawn as: a gradient from the
// centre colour to a lighter rim, outlined in the centre colour.
#include "platform/ui/Color.h"
#include "platform/ui/Geometry.h"

namespace qv::ui {
class SRenderTarget;
}

namespace qv::controls {

// The rim colour: red, green and blue each 57 more, modulo 256, same alpha.
qv::ui::COLORREF GradientEllipseRim(qv::ui::COLORREF centre);

// Fills the ellipse inscribed in rc and strokes it with a 1-pixel pen,
// anti-aliased whatever the target's setting.
void PaintGradientEllipse(qv::ui::SRenderTarget& rt, const qv::ui::CRect& rc, qv::ui::COLORREF centre);

}  // namespace qv::controls
