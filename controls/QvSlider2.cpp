#include "controls/QvSlider2.h"

#include <cstdint>

#include "platform/ui/SSkin.h"

namespace qv::controls {

using namespace qv::ui;

std::span<const AttrRow> QvSlider2::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrMember<&QvSlider2::m_selectPos>(u"selectPos", AttrEffect::NoRepaint),
        AttrMember<&QvSlider2::m_spanDeflate>(u"SelectPosDeflate", AttrEffect::NoRepaint),
    };
    return kRows;
}

CRect QvSlider2::SpanRect() const {
    if (GetMax() <= GetMin()) return {};
    const CRect client = GetClientRect();
    const int end = GetPartRange(RailLength(), ThumbLength(), m_thumbInRail, GetMin(), GetMax(), GetValue(), kPartSelect).second;
    const std::int64_t length = m_vertical ? client.Height() : client.Width();
    const int a = static_cast<int>((length - ThumbLength()) * (static_cast<std::int64_t>(m_selectPos) - GetMin()) /
                                   (static_cast<std::int64_t>(GetMax()) - GetMin()));
    const bool above = GetValue() >= m_selectPos;
    if (!m_vertical) {
        const int mark = client.left + ThumbLength() / 2 + a;
        const int thumbCentre = client.left + end;
        CRect rc(above ? mark : thumbCentre, client.top, above ? thumbCentre : mark, client.bottom);
        return CentreAcross(rc, kPartSelect, m_spanDeflate);
    }
    // The mark is measured from the bottom, where min is.
    const int mark = client.bottom - ThumbLength() / 2 - a;
    const int thumbCentre = client.bottom - end;
    // Either half ends at the mark, so the two meet there.
    CRect rc = above ? CRect(client.left, thumbCentre, client.right, mark) : CRect(client.left, mark, client.right, thumbCentre);
    rc.Deflate(m_spanDeflate, 0);
    return CentreAcross(rc, kPartSelect, 0);
}

void QvSlider2::PaintSpan(SRenderTarget& rt, int frame) {
    const CRect span = SpanRect();
    if (!span.IsRectEmpty()) m_posSkin->Draw(rt, span, frame);
}

void QvSlider2::ShowPopupAfterInput() {
    ShowPopupAtThumb();
    m_popupShown = true;
}

void QvSlider2::OnMouseWheel(int delta, CPoint pt) {
    QvSlider::OnMouseWheel(delta, pt);
    ShowPopupAfterInput();
}

bool QvSlider2::OnKeyDown(UINT vk, UINT repeat, UINT flags) {
    const bool used = QvSlider::OnKeyDown(vk, repeat, flags);
    ShowPopupAfterInput();
    return used;
}

void QvSlider2::OnMouseLeave() {
    QvSlider::OnMouseLeave();
    m_popupShown = false;
    KillFocus();
}

void QvSlider2::OnKillFocus() {
    QvSlider::OnKillFocus();
    m_popupShown = false;
    HidePopup();
}

}  // namespace qv::controls
