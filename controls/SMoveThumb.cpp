#include "controls/SMoveThumb.h"

#include <algorithm>
#include <cmath>

#include "controls/GradientEllipse.h"
#include "platform/ui/SRenderTarget.h"

namespace qv::controls {

using namespace qv::ui;

std::span<const AttrRow> SMoveThumb::AttrRows() {
    constexpr AttrEffect kQuiet = AttrEffect::NoRepaint;
    static constexpr AttrRow kRows[] = {
        AttrCall<&SMoveThumb::SetXFloatAttr>(u"xFloat", kQuiet),
        AttrCall<&SMoveThumb::SetYFloatAttr>(u"yFloat", kQuiet),
        AttrMember<&SMoveThumb::m_canXMove>(u"canXMove", kQuiet),
        AttrMember<&SMoveThumb::m_canYMove>(u"canYMove", kQuiet),
        AttrMember<&SMoveThumb::m_canOutsize>(u"canOutsize", kQuiet),
        AttrMember<&SMoveThumb::m_centerColor>(u"centerColor"),
    };
    return kRows;
}

SMoveThumb::SMoveThumb() { m_events.AddEvent(EVT_THUMB_MOVING, EventThumbMoving::EventName); }

HRESULT SMoveThumb::SetFloatAttr(float& member, const SStringW& value) {
    double v = 0;
    if (!ParseAttrValue(value, v) || !std::isfinite(v)) return E_FAIL;
    member = static_cast<float>(v);
    return S_OK;
}

void SMoveThumb::UpdateFloatPosition(const CRect& area) {
    m_area = area;
    const int w = GetPosition().width > 0 ? GetPosition().width : GetWindowRect().Width();
    const int h = GetPosition().height > 0 ? GetPosition().height : GetWindowRect().Height();
    auto offset = [](int length, float fraction) {
        return static_cast<int>(std::clamp(std::trunc(length * static_cast<double>(fraction) + 0.5), -1e6, 1e6));
    };
    const int left = area.left + offset(area.Width(), m_xFloat);
    const int top = area.top + offset(area.Height(), m_yFloat);
    Move(CRect(left, top, left + w, top + h));
}

void SMoveThumb::UpdateFloatFromRect() {
    if (m_area.Width() == 0 || m_area.Height() == 0) return;
    const CRect rc = GetWindowRect();
    m_xFloat = static_cast<float>(static_cast<double>(rc.left - m_area.left) / m_area.Width());
    m_yFloat = static_cast<float>(static_cast<double>(rc.top - m_area.top) / m_area.Height());
}

void SMoveThumb::OnLButtonDown(CPoint pt, UINT flags) {
    SWindow::OnLButtonDown(pt, flags);
    m_dragging = true;
    m_grab = CPoint(pt.x - GetWindowRect().left, pt.y - GetWindowRect().top);
    SetCursor(CursorId::SizeAll);
    BringWindowToTop();
}

void SMoveThumb::OnMouseMove(CPoint pt, UINT flags) {
    if (!m_dragging) return;
    if (!(flags & MK_LBUTTON)) {
        m_dragging = false;
        ReleaseCapture();
        return;
    }
    const CRect rc = GetWindowRect();
    EventThumbMoving e(this);
    e.userData = static_cast<int>(GetUserData());
    e.x = m_canXMove ? pt.x - m_grab.x : rc.left;
    e.y = m_canYMove ? pt.y - m_grab.y : rc.top;
    e.currentX = rc.left;
    e.currentY = rc.top;
    FireEvent(e);
}

void SMoveThumb::OnLButtonUp(CPoint pt, UINT flags) {
    SWindow::OnLButtonUp(pt, flags);
    m_dragging = false;
}

void SMoveThumb::OnCaptureLost() { m_dragging = false; }

void SMoveThumb::OnPaint(SRenderTarget& rt) {
    PaintGradientEllipse(rt, GetWindowRect(), m_centerColor);
    SWindow::OnPaint(rt);
}

}  // namespace qv::controls
