#include "controls/QvCarThumb.h"

#include <algorithm>
#include <cmath>

#include "controls/GradientEllipse.h"
#include "controls/QvCar.h"

namespace qv::controls {

using namespace qv::ui;

std::span<const AttrRow> QvCarThumb::AttrRows() {
    constexpr AttrEffect kQuiet = AttrEffect::NoRepaint;
    static constexpr AttrRow kRows[] = {
        AttrMember<&QvCarThumb::m_percentFloat>(u"percentFloat", kQuiet),
        AttrCall<&QvCarThumb::SetXFloatAttr>(u"xFloat", kQuiet),
        AttrCall<&QvCarThumb::SetYFloatAttr>(u"yFloat", kQuiet),
        AttrMember<&QvCarThumb::m_centerColor>(u"centerColor"),
    };
    return kRows;
}

HRESULT QvCarThumb::SetFloatAttr(float& member, const SStringW& value) {
    double v = 0;
    if (!ParseAttrValue(value, v) || !std::isfinite(v)) return E_FAIL;
    member = static_cast<float>(v);
    return S_OK;
}

CSize QvCarThumb::LayoutSize() const {
    const CRect rc = GetWindowRect();
    return CSize(GetPosition().width > 0 ? GetPosition().width : rc.Width(),
                 GetPosition().height > 0 ? GetPosition().height : rc.Height());
}

void QvCarThumb::UpdateFloatPosition(const CRect& area) {
    m_area = area;
    const CSize size = LayoutSize();
    auto offset = [](int length, float fraction) {
        return static_cast<int>(std::clamp(std::trunc(length * static_cast<double>(fraction) + 0.5), -1e6, 1e6));
    };
    int left = area.left + m_leftOffset;
    int top = area.bottom - m_topOffset;
    if (m_percentFloat) {
        left = area.left + offset(area.Width(), m_xFloat);
        top = area.bottom - offset(area.Height(), m_yFloat);
    }
    Move(CRect(CPoint(left, top), size));
}

void QvCarThumb::CentreAt(CPoint pt) {
    const CSize size = LayoutSize();
    const CPoint topLeft(pt.x - size.cx / 2, pt.y - size.cy / 2);
    Move(CRect(topLeft, size));
    m_leftOffset = topLeft.x - m_area.left;
    m_topOffset = m_area.bottom - topLeft.y;
    if (m_area.Width() > 0) m_xFloat = static_cast<float>(static_cast<double>(m_leftOffset) / m_area.Width());
    if (m_area.Height() > 0) m_yFloat = static_cast<float>(static_cast<double>(m_topOffset) / m_area.Height());
}

void QvCarThumb::OnLButtonDown(CPoint pt, UINT flags) {
    SWindow::OnLButtonDown(pt, flags);
    m_dragging = true;
    const CPoint centre = GetWindowRect().CenterPoint();
    m_grab = CPoint(pt.x - centre.x, pt.y - centre.y);
    SetCursor(CursorId::SizeAll);
    BringWindowToTop();
}

void QvCarThumb::OnMouseMove(CPoint pt, UINT flags) {
    if (!m_dragging) return;
    if (!(flags & MK_LBUTTON)) {  // the button went up where we did not see it
        EndDrag();
        ReleaseCapture();
        return;
    }
    CPoint at(pt.x - m_grab.x, pt.y - m_grab.y);
    if (m_car) m_car->OnThumbMoved(static_cast<int>(GetUserData()), at);
    CentreAt(at);
}

void QvCarThumb::OnLButtonUp(CPoint pt, UINT flags) {
    SWindow::OnLButtonUp(pt, flags);
    if (m_dragging) EndDrag();
}

void QvCarThumb::OnCaptureLost() {
    if (m_dragging) EndDrag();
}

void QvCarThumb::EndDrag() {
    m_dragging = false;
    SetCursor(CursorId::Arrow);
    if (m_car) m_car->OnThumbReleased();
}

void QvCarThumb::OnPaint(SRenderTarget& rt) {
    if (GetAValue(m_centerColor) != 0) PaintGradientEllipse(rt, GetWindowRect(), m_centerColor);
    SWindow::OnPaint(rt);
}

}  // namespace qv::controls
