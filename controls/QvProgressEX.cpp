#include "controls/QvProgressEX.h"

#include <algorithm>
#include <cstdint>

#include "platform/ui/SSkin.h"

namespace qv::controls {

using namespace qv::ui;

std::span<const AttrRow> QvProgressEX::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrMember<&QvProgressEX::m_litSkin>(u"SkinPosBottom"),
        AttrMember<&QvProgressEX::m_maskSkin>(u"SkinPosMid"),
        AttrMember<&QvProgressEX::m_overlaySkin>(u"SkinPosTop"),
        AttrMember<&QvProgressEX::m_declineSpeed>(u"DeclineSpeed", AttrEffect::NoRepaint),
    };
    return kRows;
}

void QvProgressEX::Decline() {
    const int value = GetValue();
    if (value == 0) {
        m_shown = 0;
        return;
    }
    const std::int64_t step = std::max<std::int64_t>(1, static_cast<std::int64_t>(m_declineSpeed) * GetMax() / 100);
    if (value + step < m_shown) {
        m_shown = static_cast<int>(m_shown - step);
        SetValue(m_shown);
    } else {
        m_shown = value;
    }
}

CRect QvProgressEX::MaskRect() const {
    const std::int64_t range = static_cast<std::int64_t>(GetMax()) - GetMin();
    if (range <= 0) return {};
    const std::int64_t unlit = static_cast<std::int64_t>(GetMax()) - GetValue();
    CRect rc = GetClientRect();
    if (m_vertical) rc.bottom = rc.top + static_cast<int>(rc.Height() * unlit / range);
    else rc.left = rc.right - static_cast<int>(rc.Width() * unlit / range);
    return rc;
}

void QvProgressEX::OnPaint(SRenderTarget& rt) {
    Decline();
    const CRect client = GetClientRect();
    if (m_litSkin) m_litSkin->Draw(rt, client, 0);
    const CRect mask = MaskRect();
    if (m_maskSkin && !mask.IsRectEmpty()) m_maskSkin->Draw(rt, mask, 0);
    if (m_overlaySkin) m_overlaySkin->Draw(rt, client, 0);
}

}  // namespace qv::controls
