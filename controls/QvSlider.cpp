#include "controls/QvSlider.h"

#include <algorithm>
#include <cstdint>

#include "controls/SSimpleToolTip.h"
#include "platform/ui/SHostWnd.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SSkin.h"

namespace qv::controls {

using namespace qv::ui;

QvSlider::~QvSlider() { ReleasePopup(); }

std::span<const AttrRow> QvSlider::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrMember<&QvSlider::m_thumbInRailX>(u"thumbInRail-x", AttrEffect::NoRepaint),
        AttrMember<&QvSlider::m_selectPosDeflate>(u"SelectPosDeflate", AttrEffect::NoRepaint),
        AttrMember<&QvSlider::m_drawThumb>(u"bDawThumb", AttrEffect::NoRepaint),
    };
    return kRows;
}

CSize QvSlider::ThumbSize() const { return m_thumbSkin ? m_thumbSkin->GetSkinSize() : CSize(); }
CSize QvSlider::RailSize() const { return m_bkgndSkin ? m_bkgndSkin->GetSkinSize() : CSize(); }
int QvSlider::ThumbLength() const { return m_vertical ? ThumbSize().cy : ThumbSize().cx; }

int QvSlider::RailLength() const {
    const CRect client = GetClientRect();
    return m_vertical ? client.Height() : client.Width();
}

CRect QvSlider::CentreAcross(CRect rc, int part, int spanDeflate) const {
    const CRect client = GetClientRect();
    if (!m_vertical) {
        const int band = std::max(ThumbSize().cy, RailSize().cy);
        const int off = (client.Height() - band) / 2;
        rc.top += off;
        rc.bottom -= off;
        if (part != kPartThumb) {
            const int inset = spanDeflate > 0 ? spanDeflate : (band - RailSize().cy) / 2;
            rc.top += inset;
            rc.bottom -= inset;
        }
        return rc;
    }
    const int band = std::max(ThumbSize().cx, RailSize().cx);
    const int off = (client.Width() - band) / 2;
    rc.left += off;
    rc.right -= off;
    if (part != kPartThumb) {
        const int inset = (band - RailSize().cx) / 2;
        rc.left += inset;
        rc.right -= inset;
    }
    return rc;
}

CRect QvSlider::AlongRail(int start, int end, int part) const {
    const CRect client = GetClientRect();
    if (!m_vertical) {
        return CentreAcross(CRect(client.left + start, client.top, client.left + end, client.bottom), part,
                            part == kPartSelect ? m_selectPosDeflate : 0);
    }
    CRect rc(client.left, client.bottom - end, client.right, client.bottom - start);
    if (part == kPartSelect) {
        rc.bottom += m_thumbInRailX;
        rc.Deflate(m_selectPosDeflate, 0);
    } else if (part != kPartThumb) {
        rc = CRect(client.left, client.top + start, client.right, client.top + end);
    }
    return CentreAcross(rc, part, 0);
}

CRect QvSlider::PartRect(int part) const {
    const auto [start, end] = GetPartRange(RailLength(), ThumbLength(), m_thumbInRail, GetMin(), GetMax(), GetValue(), part);
    return AlongRail(start, end, part);
}

int QvSlider::HitPart(CPoint pt) const {
    for (int part : {kPartThumb, kPartSelect, kPartRail}) {
        if (PartRect(part).PtInRect(pt)) return part;
    }
    return kPartNone;
}

int QvSlider::FrameForState(DWORD state, int skinStates) {
    const bool disabled = state & WndState_Disable;
    const bool pushed = state & WndState_PushDown;
    const bool hover = state & WndState_Hover;
    switch (skinStates) {
    case 4: return disabled ? 3 : pushed ? 2 : hover ? 1 : 0;
    case 3: return pushed ? 2 : hover ? 1 : 0;
    case 2: return pushed ? 1 : 0;
    default: return 0;
    }
}

void QvSlider::SetAndNotify(long long value) {
    SetValue(static_cast<int>(std::clamp<long long>(value, GetMin(), GetMax())));
    NotifyPos(kNotifyCode, GetValue());
}

void QvSlider::OnLButtonDown(CPoint pt, UINT flags) {
    SWindow::OnLButtonDown(pt, flags);
    const CRect rail = PartRect(kPartRail);
    const int railLength = m_vertical ? rail.Height() : rail.Width();
    if (railLength <= 0) return;
    if (HitPart(pt) != kPartThumb) {
        // The value jumps to the point.
        const long long span = static_cast<long long>(GetMax()) - GetMin() + 1;
        const long long along = m_vertical ? rail.bottom - pt.y : pt.x - rail.left;
        SetValue(static_cast<int>(std::clamp<long long>(GetMin() + along * span / railLength, GetMin(), GetMax())));
        Invalidate();
        m_dragging = true;
        m_dragPoint = pt;
        m_dragValue = GetValue();
        NotifyPos(kNotifyCode, GetValue());
        return;
    }
    m_dragValue = GetValue();
    m_dragPoint = pt;
    m_dragging = true;
    Invalidate();
}

void QvSlider::OnMouseMove(CPoint pt, UINT) {
    if (m_dragging) {
        const CRect rail = PartRect(kPartRail);
        const int railLength = m_vertical ? rail.Height() : rail.Width();
        if (railLength <= 0) return;
        const long long offset = m_vertical ? m_dragPoint.y - pt.y : pt.x - m_dragPoint.x;
        const long long span = static_cast<long long>(GetMax()) - GetMin() + 1;
        const int value = static_cast<int>(std::clamp<long long>(offset * span / railLength + m_dragValue, GetMin(), GetMax()));
        if (value == GetValue()) return;
        SetValue(value);
        Invalidate();
        NotifyPos(kNotifyCode, GetValue());
        ShowPopupAtThumb();
        return;
    }
    const int part = HitPart(pt);
    if ((part == kPartThumb) != (m_hoverPart == kPartThumb)) {
        if (part == kPartThumb) ShowPopupAtThumb();
        else HidePopup();
        InvalidateRect(PartRect(kPartThumb));
    }
    m_hoverPart = part;
}

void QvSlider::OnLButtonUp(CPoint pt, UINT flags) {
    if (m_dragging) {
        m_dragging = false;
        Invalidate();
        HidePopup();
    }
    OnMouseMove(pt, flags);
    ReleaseCapture();
    ModifyState(0, WndState_PushDown, true);
}

void QvSlider::OnMouseLeave() {
    if (!m_dragging && m_hoverPart == kPartThumb) {
        InvalidateRect(PartRect(kPartThumb));
        m_hoverPart = kPartNone;
    }
    HidePopup();
    SWindow::OnMouseLeave();
}

void QvSlider::OnMouseWheel(int delta, CPoint) {
    if (IsFocusable()) SetFocus();
    SetAndNotify(static_cast<long long>(GetValue()) + (delta > 0 ? 1 : -1));
}

bool QvSlider::OnKeyDown(UINT vk, UINT repeat, UINT flags) {
    const long long value = GetValue();
    const long long page = (static_cast<long long>(GetMax()) - GetMin()) / 5;
    switch (vk) {
    case VK_PRIOR: SetAndNotify(value + page); return true;
    case VK_NEXT: SetAndNotify(value - page); return true;
    case VK_HOME: SetAndNotify(GetMax()); return true;
    case VK_END: SetAndNotify(GetMin()); return true;
    case VK_LEFT:
    case VK_DOWN: SetAndNotify(value - 1); return true;
    case VK_UP:
    case VK_RIGHT: SetAndNotify(value + 1); return true;
    default: return SProgress::OnKeyDown(vk, repeat, flags);
    }
}

void QvSlider::OnPaint(SRenderTarget& rt) {
    DWORD state = WndState_Normal;
    if (IsDisabled(true)) state = WndState_Disable;
    else if (m_dragging) state = WndState_PushDown;
    else if (m_hoverPart == kPartThumb) state = WndState_Hover;
    else if (IsFocused()) state = WndState_PushDown;
    if (m_bkgndSkin) m_bkgndSkin->Draw(rt, PartRect(kPartRailBack), FrameForState(state, m_bkgndSkin->GetStates()));
    if (m_posSkin) PaintSpan(rt, FrameForState(state, m_posSkin->GetStates()));
    if (m_thumbSkin) m_thumbSkin->Draw(rt, PartRect(kPartThumb), FrameForState(state, m_thumbSkin->GetStates()));
}

void QvSlider::PaintSpan(SRenderTarget& rt, int frame) {
    if (GetValue() != GetMin()) m_posSkin->Draw(rt, PartRect(kPartSelect), frame);
}

void QvSlider::ShowPopupAtThumb() {
    if (!m_showPercent) return;
    SSimpleToolTip* popup = SSimpleToolTip::GetShared();
    if (!m_popup) {
        m_popup = popup;
        popup->AddRef();
    }
    auto* host = dynamic_cast<SHostWnd*>(GetContainer());
    if (!popup->IsWindow() || !host) return;
    const SStringW text = SStringW::Format(u"%d", GetValue());
    const int w = 6 * text.GetLength();
    const CRect thumb = PartRect(kPartThumb);
    CPoint pt = m_vertical ? CPoint(thumb.left - w - 15, thumb.top + thumb.Height() / 2 - 11)
                           : CPoint(thumb.left + (thumb.Width() - w - 10) / 2, thumb.bottom + 10);
    host->ClientToScreen(pt);
    popup->MoveTo(pt);
    popup->SetText(text);
}

void QvSlider::HidePopup() {
    if (m_popup) m_popup->Hide();
}

void QvSlider::ReleasePopup() {
    if (!m_popup) return;
    SSimpleToolTip* popup = m_popup;
    m_popup = nullptr;
    popup->Release();
}

void QvSlider::OnDestroy() {
    ReleasePopup();
    SSliderBar::OnDestroy();
}

}  // namespace qv::controls
