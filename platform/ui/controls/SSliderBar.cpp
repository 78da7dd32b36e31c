#include "platform/ui/controls/SSliderBar.h"

#include <algorithm>
#include <cstdint>

#include "platform/ui/AttrParse.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SSkin.h"
#include "platform/ui/controls/ControlLook.h"

namespace qv::ui {
namespace {
constexpr int kDefaultThumb = 12;
constexpr int kDefaultRail = 4;

// a * b / c rounded to nearest, in 64 bits; c > 0.
int MulDivRound(std::int64_t a, std::int64_t b, std::int64_t c) {
    std::int64_t n = a * b;
    return static_cast<int>(n >= 0 ? (n + c / 2) / c : -((-n + c / 2) / c));
}
}  // namespace

SSliderBar::SSliderBar() {
    SetAttribute(u"focusable", u"1", true);
    m_events.AddEvent(EVT_SLIDER_POS, EventSliderPos::EventName);
}

std::span<const AttrRow> SSliderBar::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrMember<&SSliderBar::m_thumbSkin>(u"thumbSkin"),
        AttrMember<&SSliderBar::m_thumbInRail>(u"thumbInRail"),
    };
    return kRows;
}

std::pair<int, int> SSliderBar::GetPartRange(int len, int thumbLen, bool inRail, int min, int max, int value, int part) {
    len = std::max(0, len);
    thumbLen = std::clamp(thumbLen, 0, len);
    int travel = len - thumbLen;
    int offset = 0;
    if (max > min) {
        std::int64_t done = static_cast<std::int64_t>(std::clamp(value, min, max)) - min;
        offset = static_cast<int>(travel * done / (static_cast<std::int64_t>(max) - min));
    }
    int railStart = inRail ? 0 : thumbLen / 2;
    int railEnd = inRail ? len : len - (thumbLen - thumbLen / 2);
    switch (part) {
    case kPartRail: return {railStart, railEnd};
    case kPartSelect: return {railStart, std::max(railStart, offset + thumbLen / 2)};
    case kPartThumb: return {offset, offset + thumbLen};
    case kPartRailBack: return {0, len};
    default: return {0, 0};
    }
}

int SSliderBar::GetThumbLength() const {
    if (m_thumbSkin) {
        CSize s = m_thumbSkin->GetSkinSize();
        int along = m_vertical ? s.cy : s.cx;
        if (along > 0) return along;
    }
    return kDefaultThumb;
}

int SSliderBar::RailLength() const {
    CRect client = GetClientRect();
    return m_vertical ? client.Height() : client.Width();
}

CRect SSliderBar::GetPartRect(int part) const {
    CRect client = GetClientRect();
    auto [start, end] = GetPartRange(RailLength(), GetThumbLength(), m_thumbInRail, GetMin(), GetMax(), GetValue(), part);
    // Across the rail: the thumb takes its skin's thickness (or the whole
    // client), the other parts the rail's, both centred.
    int across = m_vertical ? client.Width() : client.Height();
    int thickness = kDefaultRail;
    if (part == kPartThumb) {
        CSize s = m_thumbSkin ? m_thumbSkin->GetSkinSize() : CSize();
        thickness = (m_vertical ? s.cx : s.cy) > 0 ? (m_vertical ? s.cx : s.cy) : across;
    } else if (m_bkgndSkin) {
        CSize s = m_bkgndSkin->GetSkinSize();
        if ((m_vertical ? s.cx : s.cy) > 0) thickness = m_vertical ? s.cx : s.cy;
    }
    thickness = std::min(thickness, across);
    int lead = (across - thickness) / 2;
    if (m_vertical) return CRect(client.left + lead, client.bottom - end, client.left + lead + thickness, client.bottom - start);
    return CRect(client.left + start, client.top + lead, client.left + end, client.top + lead + thickness);
}

int SSliderBar::HitTest(CPoint pt) const {
    if (GetPartRect(kPartThumb).PtInRect(pt)) return kPartThumb;
    if (!GetClientRect().PtInRect(pt)) return kPartNone;
    // Across the rail the whole client counts, so a thin rail is easy to hit.
    auto [start, end] = GetPartRange(RailLength(), GetThumbLength(), m_thumbInRail, GetMin(), GetMax(), GetValue(), kPartSelect);
    int along = Along(pt);
    return along >= start && along < end ? kPartSelect : kPartRail;
}

int SSliderBar::Along(CPoint pt) const {
    CRect client = GetClientRect();
    return m_vertical ? client.bottom - pt.y : pt.x - client.left;
}

int SSliderBar::ValueFromPoint(CPoint pt) const {
    int travel = RailLength() - std::min(GetThumbLength(), RailLength());
    if (travel <= 0 || GetMax() <= GetMin()) return GetMin();
    int offset = std::clamp(Along(pt) - GetThumbLength() / 2, 0, travel);
    return GetMin() + MulDivRound(offset, static_cast<std::int64_t>(GetMax()) - GetMin(), travel);
}

void SSliderBar::NotifyPos(int code, int pos) {
    EventSliderPos e(this);
    e.nCode = code;
    e.nPos = pos;
    FireEvent(e);
}

void SSliderBar::ChangeValue(int value) {
    if (SetValue(value)) NotifyPos(kNotifyCode, GetValue());
}

void SSliderBar::OnLButtonDown(CPoint pt, UINT flags) {
    SProgress::OnLButtonDown(pt, flags);
    // On the thumb the drag starts where it is; elsewhere the thumb jumps to
    // the point first.
    if (HitTest(pt) != kPartThumb) ChangeValue(ValueFromPoint(pt));
    m_dragging = true;
    m_dragPoint = pt;
    m_dragValue = GetValue();
    Invalidate();
}

void SSliderBar::OnMouseMove(CPoint pt, UINT flags) {
    (void)flags;
    if (m_dragging) {
        int travel = RailLength() - std::min(GetThumbLength(), RailLength());
        if (travel <= 0) return;
        int moved = m_vertical ? m_dragPoint.y - pt.y : pt.x - m_dragPoint.x;
        std::int64_t span = static_cast<std::int64_t>(GetMax()) - GetMin();
        std::int64_t value = m_dragValue + static_cast<std::int64_t>(MulDivRound(moved, span, travel));
        ChangeValue(static_cast<int>(std::clamp<std::int64_t>(value, GetMin(), GetMax())));
        return;
    }
    int part = HitTest(pt);
    if ((part == kPartThumb) != (m_hoverPart == kPartThumb)) InvalidateRect(GetPartRect(kPartThumb));
    m_hoverPart = part;
}

void SSliderBar::OnLButtonUp(CPoint pt, UINT flags) {
    if (m_dragging) {
        m_dragging = false;
        Invalidate();
    }
    OnMouseMove(pt, flags);
    ReleaseCapture();
    ModifyState(0, WndState_PushDown, true);
}

void SSliderBar::OnCaptureLost() {
    m_dragging = false;
    ModifyState(0, WndState_PushDown, true);
}

void SSliderBar::OnMouseLeave() {
    if (!m_dragging && m_hoverPart == kPartThumb) InvalidateRect(GetPartRect(kPartThumb));
    if (!m_dragging) m_hoverPart = kPartNone;
    SProgress::OnMouseLeave();
}

void SSliderBar::OnMouseWheel(int delta, CPoint pt) {
    (void)pt;
    if (IsFocusable()) SetFocus();
    ChangeValue(delta > 0 ? GetValue() + 1 : GetValue() - 1);
}

bool SSliderBar::OnKeyDown(UINT vk, UINT repeat, UINT flags) {
    int page = std::max(1, static_cast<int>((static_cast<std::int64_t>(GetMax()) - GetMin()) / 5));
    std::int64_t value = GetValue();
    switch (vk) {
    case VK_LEFT:
    case VK_DOWN: value -= 1; break;
    case VK_RIGHT:
    case VK_UP: value += 1; break;
    case VK_PRIOR: value += page; break;
    case VK_NEXT: value -= page; break;
    case VK_HOME: value = GetMin(); break;
    case VK_END: value = GetMax(); break;
    default: return SProgress::OnKeyDown(vk, repeat, flags);
    }
    ChangeValue(static_cast<int>(std::clamp<std::int64_t>(value, GetMin(), GetMax())));
    return true;
}

void SSliderBar::OnPaint(SRenderTarget& rt) {
    CRect rail = GetPartRect(kPartRailBack);
    if (m_bkgndSkin) m_bkgndSkin->Draw(rt, rail, 0);
    else rt.FillSolidRect(rail, look::kLine);
    if (GetValue() != GetMin()) {
        CRect span = GetPartRect(kPartSelect);
        if (m_posSkin) m_posSkin->Draw(rt, span, 0);
        else rt.FillSolidRect(span, look::kAccent);
    }
    CRect thumb = GetPartRect(kPartThumb);
    DWORD state = IsDisabled(true) ? WndState_Disable
                  : m_dragging      ? WndState_PushDown
                  : m_hoverPart == kPartThumb ? WndState_Hover
                                              : WndState_Normal;
    if (m_thumbSkin) {
        m_thumbSkin->Draw(rt, thumb, SkinFrameForState(state, m_thumbSkin->GetStates()));
    } else {
        rt.SetAntiAlias(true);
        SBrush old = rt.SelectBrush(SBrush{state == WndState_Normal ? look::kText : look::kAccent});
        rt.FillEllipse(thumb);
        rt.SelectBrush(old);
    }
}

}  // namespace qv::ui
