#include "controls/QvProgress.h"

#include <cstdint>

#include "platform/ui/SSkin.h"

namespace qv::controls {

using namespace qv::ui;

CRect QvProgress::LitRect() const {
    const std::int64_t range = static_cast<std::int64_t>(GetMax()) - GetMin();
    const std::int64_t lit = static_cast<std::int64_t>(GetValue()) - GetMin();
    if (lit <= 0 || range <= 0) return {};
    CRect rc = GetClientRect();
    if (m_vertical) rc.top = rc.bottom - static_cast<int>(rc.Height() * lit / range);
    else rc.right = rc.left + static_cast<int>(rc.Width() * lit / range);
    return rc;
}

void QvProgress::OnPaint(SRenderTarget& rt) {
    if (m_bkgndSkin) m_bkgndSkin->Draw(rt, GetClientRect(), 0);
    const CRect lit = LitRect();
    if (m_posSkin && !lit.IsRectEmpty()) m_posSkin->Draw(rt, lit, 0);
}

}  // namespace qv::controls
