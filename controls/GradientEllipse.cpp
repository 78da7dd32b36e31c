#include "controls/GradientEllipse.h"

#include <cstdint>

#include "platform/ui/SRenderTarget.h"

namespace qv::controls {

using namespace qv::ui;

COLORREF GradientEllipseRim(COLORREF centre) {
    auto up = [](std::uint8_t c) { return static_cast<std::uint8_t>((c + 57) % 256); };
    return RGBA(up(GetRValue(centre)), up(GetGValue(centre)), up(GetBValue(centre)), GetAValue(centre));
}

void PaintGradientEllipse(SRenderTarget& rt, const CRect& rc, COLORREF centre) {
    const bool antiAlias = rt.GetAntiAlias();
    rt.SetAntiAlias(true);
    rt.FillRadialGradient(rc, centre, GradientEllipseRim(centre));
    const SPen old = rt.SelectPen(SPen{centre, 1, PenStyle::Solid});
    rt.DrawEllipse(rc);
    rt.SelectPen(old);
    rt.SetAntiAlias(antiAlias);
}

}  // namespace qv::controls
