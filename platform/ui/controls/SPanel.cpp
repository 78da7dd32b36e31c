#include "platform/ui/controls/SPanel.h"

#include <algorithm>
#include <cstdint>

#include "platform/ui/SHostWnd.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SSkinScrollbar.h"
#include "platform/ui/controls/ControlLook.h"

namespace qv::ui {
namespace {

constexpr int kDefaultBarWidth = 10;
constexpr int kMinThumb = 12;
constexpr int kWheelLines = 3;
// Held arrows and rails repeat after the first delay, then every period.
constexpr UINT kRepeatTimer = 0x5CB0;
constexpr UINT kRepeatDelayMs = 300;
constexpr UINT kRepeatPeriodMs = 50;
constexpr int kWheelDelta = 120;

// The default look's thumb: quiet until touched.
constexpr COLORREF kThumb = RGBA(0x4A, 0x4E, 0x59, 255);
constexpr COLORREF kThumbHover = RGBA(0x5A, 0x5F, 0x6C, 255);

int MulDiv64(std::int64_t a, std::int64_t b, std::int64_t c) {
    if (c == 0) return 0;
    std::int64_t n = a * b;
    return static_cast<int>(n >= 0 ? (n + c / 2) / c : -((-n + c / 2) / c));
}

}  // namespace

std::span<const AttrRow> SPanel::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrCall<&SPanel::SetSbSkinAttr>(u"sbSkin", AttrEffect::Relayout),
        AttrMember<&SPanel::m_sbWidth, 0>(u"sbWidth", AttrEffect::Relayout),
        AttrMember<&SPanel::m_sbArrowSize, 0>(u"sbArrowSize"),
    };
    return kRows;
}

HRESULT SPanel::SetSbSkinAttr(const SStringW& value, bool) {
    ISkinObj* skin = nullptr;
    if (!ParseAttrValue(value, skin)) return E_FAIL;
    auto* bar = dynamic_cast<SSkinScrollbar*>(skin);
    if (!bar) return E_FAIL;
    m_sbSkin = bar;
    return S_OK;
}

// ---------------------------------------------------------------- geometry

int SPanel::GetScrollBarWidth() const {
    if (m_sbWidth > 0) return m_sbWidth;
    int ideal = m_sbSkin ? m_sbSkin->ScrollIdealWidth() : 0;
    return ideal > 0 ? ideal : kDefaultBarWidth;
}

int SPanel::ArrowLength(bool vertical) const {
    int arrow = m_sbArrowSize >= 0 ? m_sbArrowSize : (m_sbSkin && m_sbSkin->ScrollHasArrows() ? GetScrollBarWidth() : 0);
    CRect bar = GetScrollBarRect(vertical);
    int length = vertical ? bar.Height() : bar.Width();
    return std::min(arrow, length / 2);
}

CRect SPanel::GetClientRect() const {
    CRect rc = SWindow::GetClientRect();
    int w = GetScrollBarWidth();
    if (Bar(true).visible) rc.right = std::max(rc.left, rc.right - w);
    if (Bar(false).visible) rc.bottom = std::max(rc.top, rc.bottom - w);
    return rc;
}

CRect SPanel::GetScrollBarRect(bool vertical) const {
    if (!Bar(vertical).visible) return {};
    CRect full = SWindow::GetClientRect();
    int w = GetScrollBarWidth();
    if (vertical) return CRect(full.right - w, full.top, full.right, full.bottom - (Bar(false).visible ? w : 0));
    return CRect(full.left, full.bottom - w, full.right - (Bar(true).visible ? w : 0), full.bottom);
}

CRect SPanel::GetScrollPartRect(bool vertical, int part) const {
    CRect bar = GetScrollBarRect(vertical);
    if (bar.IsRectEmpty()) return {};
    if (part == SBP_CORNER) {
        if (!Bar(true).visible || !Bar(false).visible) return {};
        CRect full = SWindow::GetClientRect();
        int w = GetScrollBarWidth();
        return CRect(full.right - w, full.bottom - w, full.right, full.bottom);
    }
    const ScrollBar& b = Bar(vertical);
    int length = vertical ? bar.Height() : bar.Width();
    int arrow = ArrowLength(vertical);
    int track = std::max(0, length - 2 * arrow);
    int max = GetScrollMax(vertical);
    int thumb = track;
    if (max > 0 && b.content > 0) {
        thumb = std::max(std::min(kMinThumb, track), MulDiv64(track, b.page, b.content));
    }
    int offset = max > 0 ? MulDiv64(track - thumb, b.pos, max) : 0;
    int start = 0, end = 0;
    switch (part) {
    case SBP_LINEUP: start = 0; end = arrow; break;
    case SBP_LINEDOWN: start = length - arrow; end = length; break;
    case SBP_PAGEUP: start = arrow; end = arrow + offset; break;
    case SBP_THUMB: start = arrow + offset; end = start + thumb; break;
    case SBP_PAGEDOWN: start = arrow + offset + thumb; end = length - arrow; break;
    default: return {};
    }
    if (vertical) return CRect(bar.left, bar.top + start, bar.right, bar.top + end);
    return CRect(bar.left + start, bar.top, bar.left + end, bar.bottom);
}

int SPanel::HitPart(bool vertical, CPoint pt) const {
    if (!GetScrollBarRect(vertical).PtInRect(pt)) return -1;
    for (int part : {SBP_THUMB, SBP_LINEUP, SBP_LINEDOWN, SBP_PAGEUP, SBP_PAGEDOWN}) {
        if (GetScrollPartRect(vertical, part).PtInRect(pt)) return part;
    }
    return -1;
}

// ---------------------------------------------------------------- range and position

int SPanel::GetScrollMax(bool vertical) const {
    const ScrollBar& b = Bar(vertical);
    return std::max(0, b.content - b.page);
}

void SPanel::SetContentSize(CSize size) {
    Bar(false).content = std::max(0, size.cx);
    Bar(true).content = std::max(0, size.cy);
    UpdateBars();
}

void SPanel::OnSize(CSize size) {
    SWindow::OnSize(size);
    UpdateBars();
}

void SPanel::UpdateBars() {
    CRect full = SWindow::GetClientRect();
    int w = GetScrollBarWidth();
    ScrollBar& h = Bar(false);
    ScrollBar& v = Bar(true);
    bool showV = v.content > full.Height();
    bool showH = h.content > full.Width() - (showV ? w : 0);
    if (showH && !showV) showV = v.content > full.Height() - w;
    if (showV != v.visible || showH != h.visible) Invalidate();
    v.visible = showV;
    h.visible = showH;
    v.page = std::max(0, full.Height() - (showH ? w : 0));
    h.page = std::max(0, full.Width() - (showV ? w : 0));
    for (bool vertical : {false, true}) {
        ScrollBar& b = Bar(vertical);
        int old = b.pos;
        b.pos = std::clamp(b.pos, 0, GetScrollMax(vertical));
        if (b.pos != old) OnScrollChanged(vertical, old);
    }
}

bool SPanel::SetScrollPos(bool vertical, int pos) {
    ScrollBar& b = Bar(vertical);
    pos = std::clamp(pos, 0, GetScrollMax(vertical));
    if (pos == b.pos) return false;
    int old = b.pos;
    b.pos = pos;
    InvalidateRect(GetScrollBarRect(vertical));
    OnScrollChanged(vertical, old);
    return true;
}

// ---------------------------------------------------------------- input

bool SPanel::HandleScrollBarMouse(UINT msg, CPoint pt) {
    m_lastPoint = pt;
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        for (bool vertical : {true, false}) {
            int part = HitPart(vertical, pt);
            if (part < 0) continue;
            m_pressedVertical = vertical;
            m_pressedPart = part;
            m_pressPoint = pt;
            m_dragStartPos = GetScrollPos(vertical);
            SetCapture();
            if (part != SBP_THUMB) {
                StepPressedPart();
                SetTimer(kRepeatTimer, kRepeatDelayMs);
            }
            InvalidateRect(GetScrollBarRect(vertical));
            return true;
        }
        return GetScrollPartRect(true, SBP_CORNER).PtInRect(pt);
    case WM_MOUSEMOVE: {
        if (m_pressedPart == SBP_THUMB) {
            CRect bar = GetScrollBarRect(m_pressedVertical);
            CRect thumb = GetScrollPartRect(m_pressedVertical, SBP_THUMB);
            int track = (m_pressedVertical ? bar.Height() : bar.Width()) - 2 * ArrowLength(m_pressedVertical);
            int free = track - (m_pressedVertical ? thumb.Height() : thumb.Width());
            int moved = m_pressedVertical ? pt.y - m_pressPoint.y : pt.x - m_pressPoint.x;
            if (free > 0) SetScrollPos(m_pressedVertical, m_dragStartPos + MulDiv64(moved, GetScrollMax(m_pressedVertical), free));
            return true;
        }
        if (m_pressedPart >= 0) return true;
        bool over = false;
        for (bool vertical : {true, false}) {
            ScrollBar& b = Bar(vertical);
            int part = HitPart(vertical, pt);
            over = over || part >= 0;
            if (part == b.hoverPart) continue;
            b.hoverPart = part;
            InvalidateRect(GetScrollBarRect(vertical));
        }
        return over || GetScrollPartRect(true, SBP_CORNER).PtInRect(pt);
    }
    case WM_LBUTTONUP:
        if (m_pressedPart < 0) return false;
        KillTimer(kRepeatTimer);
        InvalidateRect(GetScrollBarRect(m_pressedVertical));
        m_pressedPart = -1;
        ReleaseCapture();
        return true;
    default:
        return false;
    }
}

void SPanel::StepPressedPart() {
    bool vertical = m_pressedVertical;
    int pos = GetScrollPos(vertical);
    int line = GetScrollLineSize(vertical);
    int page = std::max(1, Bar(vertical).page);
    CRect thumb = GetScrollPartRect(vertical, SBP_THUMB);
    int at = vertical ? m_lastPoint.y : m_lastPoint.x;
    switch (m_pressedPart) {
    case SBP_LINEUP: SetScrollPos(vertical, pos - line); break;
    case SBP_LINEDOWN: SetScrollPos(vertical, pos + line); break;
    // The rail pages until the thumb reaches the pointer.
    case SBP_PAGEUP:
        if (at < (vertical ? thumb.top : thumb.left)) SetScrollPos(vertical, pos - page);
        break;
    case SBP_PAGEDOWN:
        if (at >= (vertical ? thumb.bottom : thumb.right)) SetScrollPos(vertical, pos + page);
        break;
    default: break;
    }
}

void SPanel::OnTimer(UINT id) {
    if (id != kRepeatTimer) {
        SWindow::OnTimer(id);
        return;
    }
    if (m_pressedPart < 0 || m_pressedPart == SBP_THUMB) {
        KillTimer(kRepeatTimer);
        return;
    }
    bool arrow = m_pressedPart == SBP_LINEUP || m_pressedPart == SBP_LINEDOWN;
    if (!arrow || GetScrollPartRect(m_pressedVertical, m_pressedPart).PtInRect(m_lastPoint)) StepPressedPart();
    SetTimer(kRepeatTimer, kRepeatPeriodMs);
}

void SPanel::OnLButtonDown(CPoint pt, UINT flags) {
    if (!HandleScrollBarMouse(WM_LBUTTONDOWN, pt)) SWindow::OnLButtonDown(pt, flags);
}

void SPanel::OnLButtonUp(CPoint pt, UINT flags) {
    if (!HandleScrollBarMouse(WM_LBUTTONUP, pt)) SWindow::OnLButtonUp(pt, flags);
}

void SPanel::OnMouseMove(CPoint pt, UINT flags) {
    if (!HandleScrollBarMouse(WM_MOUSEMOVE, pt)) SWindow::OnMouseMove(pt, flags);
}

void SPanel::OnMouseLeave() {
    for (bool vertical : {true, false}) {
        if (Bar(vertical).hoverPart >= 0) InvalidateRect(GetScrollBarRect(vertical));
        Bar(vertical).hoverPart = -1;
    }
    SWindow::OnMouseLeave();
}

void SPanel::OnCaptureLost() {
    if (m_pressedPart >= 0) {
        KillTimer(kRepeatTimer);
        InvalidateRect(GetScrollBarRect(m_pressedVertical));
        m_pressedPart = -1;
    }
    SWindow::OnCaptureLost();
}

void SPanel::OnMouseWheel(int delta, CPoint pt) {
    if (GetScrollMax(true) == 0 && GetScrollMax(false) == 0) {
        SWindow::OnMouseWheel(delta, pt);  // nothing to scroll here: the parent may
        return;
    }
    int notches = delta / kWheelDelta;
    if (notches == 0) notches = delta > 0 ? 1 : -1;
    bool vertical = GetScrollMax(true) > 0 || GetScrollMax(false) == 0;
    SetScrollPos(vertical, GetScrollPos(vertical) - notches * kWheelLines * GetScrollLineSize(vertical));
}

// ---------------------------------------------------------------- drawing

int SPanel::PartState(bool vertical, int part) const {
    if (IsDisabled(true)) return SBS_DISABLED;
    if (m_pressedPart == part && m_pressedVertical == vertical) return SBS_PUSHED;
    if (Bar(vertical).hoverPart == part) return SBS_HOVER;
    auto* host = dynamic_cast<SHostWnd*>(GetContainer());
    if (host && !host->IsActiveWindow()) return SBS_INACTIVE;
    return SBS_NORMAL;
}

void SPanel::OnPaint(SRenderTarget& rt) {
    SWindow::OnPaint(rt);
    for (bool vertical : {true, false}) {
        if (Bar(vertical).visible) DrawBar(rt, vertical);
    }
    CRect corner = GetScrollPartRect(true, SBP_CORNER);
    if (!corner.IsRectEmpty()) {
        if (m_sbSkin) m_sbSkin->DrawScrollPart(rt, corner, SBP_CORNER, SBS_NORMAL, true);
        else rt.FillSolidRect(corner, look::kPanel);
    }
}

void SPanel::DrawBar(SRenderTarget& rt, bool vertical) {
    const int parts[] = {SBP_PAGEUP, SBP_PAGEDOWN, SBP_LINEUP, SBP_LINEDOWN, SBP_THUMB};
    if (m_sbSkin) {
        for (int part : parts) {
            CRect rc = GetScrollPartRect(vertical, part);
            if (!rc.IsRectEmpty()) m_sbSkin->DrawScrollPart(rt, rc, part, PartState(vertical, part), vertical);
        }
        // The grip in the middle of the thumb, when the thumb is long enough for it.
        CRect thumb = GetScrollPartRect(vertical, SBP_THUMB);
        CSize grip = m_sbSkin->ScrollPartRect(SBP_GRIPPER, SBS_NORMAL, vertical).Size();
        if (grip.cx > 0 && grip.cy > 0 && grip.cx <= thumb.Width() && grip.cy <= thumb.Height()) {
            CPoint c = thumb.CenterPoint();
            CRect at(c.x - grip.cx / 2, c.y - grip.cy / 2, c.x - grip.cx / 2 + grip.cx, c.y - grip.cy / 2 + grip.cy);
            m_sbSkin->DrawScrollPart(rt, at, SBP_GRIPPER, PartState(vertical, SBP_THUMB), vertical);
        }
        return;
    }
    // The default look: a dark rail and a quiet thumb, the accent while dragged.
    rt.FillSolidRect(GetScrollBarRect(vertical), look::kPanel);
    for (int part : {SBP_LINEUP, SBP_LINEDOWN}) {
        CRect rc = GetScrollPartRect(vertical, part);
        if (rc.IsRectEmpty()) continue;
        rt.FillSolidRect(rc, PartState(vertical, part) == SBS_NORMAL ? look::kLine : look::kHover);
        // A small triangle pointing along the bar, away from the thumb.
        const CPoint c = rc.CenterPoint();
        const float x = static_cast<float>(c.x), y = static_cast<float>(c.y);
        const float s = static_cast<float>(std::max(2, std::min(rc.Width(), rc.Height()) / 4));
        const float h = (part == SBP_LINEUP ? -s : s) / 2;
        PointF tri[3] = {{x - s, y - h}, {x + s, y - h}, {x, y + h}};
        if (!vertical) {
            tri[0] = {x - h, y - s};
            tri[1] = {x - h, y + s};
            tri[2] = {x + h, y};
        }
        SBrush old = rt.SelectBrush(SBrush{look::kText});
        rt.FillPolygon(tri, 3);
        rt.SelectBrush(old);
    }
    CRect thumb = GetScrollPartRect(vertical, SBP_THUMB);
    if (vertical) thumb.Deflate(2, 0);
    else thumb.Deflate(0, 2);
    int state = PartState(vertical, SBP_THUMB);
    COLORREF color = state == SBS_PUSHED ? look::kAccent : state == SBS_HOVER ? kThumbHover
                     : state == SBS_DISABLED ? look::kLine : kThumb;
    rt.FillSolidRect(thumb, color);
}

}  // namespace qv::ui
