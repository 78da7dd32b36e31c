#include "platform/ui/controls/SScrollView.h"

#include <algorithm>

#include "platform/ui/AttrParse.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/controls/ControlLook.h"

namespace qv::ui {
namespace {
constexpr int kWheelStep = 60;
constexpr int kBarWidth = 4;
}  // namespace

SScrollView::SScrollView() { m_events.AddEvent(EVT_SCROLLVIEW_ORIGINCHANGED, EventScrollViewOriginChanged::EventName); }

std::span<const AttrRow> SScrollView::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrMember<&SScrollView::m_fixedSize>(u"viewSize", AttrEffect::Relayout),
    };
    return kRows;
}

void SScrollView::SetViewSize(CSize size) {
    m_fixedSize = size;
    UpdateChildrenPosition();
    Invalidate();
}

CPoint SScrollView::BoundOrigin(CPoint origin) const {
    CRect client = GetClientRect();
    return CPoint(std::clamp(origin.x, 0, std::max(0, m_viewSize.cx - client.Width())),
                  std::clamp(origin.y, 0, std::max(0, m_viewSize.cy - client.Height())));
}

CRect SScrollView::GetChildrenLayoutRect() const {
    CRect client = GetClientRect();
    int width = m_fixedSize.cx >= 0 ? m_fixedSize.cx : client.Width();
    int height = m_fixedSize.cy >= 0 ? m_fixedSize.cy : client.Height();
    CRect rc(client.left, client.top, client.left + width, client.top + height);
    rc.Offset(-m_origin.x, -m_origin.y);
    return rc;
}

void SScrollView::UpdateChildrenPosition() {
    SWindow::UpdateChildrenPosition();
    // The view's extent, measured from its own corner.
    const CRect view = GetChildrenLayoutRect();
    const CRect client = GetClientRect();
    CSize extent;
    for (SWindow* c = GetWindow(GSW_FIRSTCHILD); c; c = c->GetWindow(GSW_NEXTSIBLING)) {
        if (!c->IsVisible() || c->IsDestroying()) continue;
        CRect rc = c->GetWindowRect();
        extent.cx = std::max(extent.cx, rc.right - view.left);
        extent.cy = std::max(extent.cy, rc.bottom - view.top);
    }
    m_viewSize.cx = m_fixedSize.cx >= 0 ? m_fixedSize.cx : std::max(client.Width(), extent.cx);
    m_viewSize.cy = m_fixedSize.cy >= 0 ? m_fixedSize.cy : std::max(client.Height(), extent.cy);
    CPoint bounded = BoundOrigin(m_origin);
    if (bounded == m_origin) return;
    // The view shrank under the origin: place the children again where it
    // now stands.
    EventScrollViewOriginChanged e(this);
    e.ptOldOrigin = m_origin;
    e.ptNewOrigin = m_origin = bounded;
    SWindow::UpdateChildrenPosition();
    FireEvent(e);
}

void SScrollView::SetViewOrigin(CPoint origin) {
    origin = BoundOrigin(origin);
    if (origin == m_origin) return;
    EventScrollViewOriginChanged e(this);
    e.ptOldOrigin = m_origin;
    e.ptNewOrigin = origin;
    m_origin = origin;
    UpdateChildrenPosition();
    Invalidate();
    FireEvent(e);
}

void SScrollView::OnMouseWheel(int delta, CPoint pt) {
    (void)pt;
    int step = delta > 0 ? -kWheelStep : kWheelStep;
    bool vertical = m_viewSize.cy > GetClientRect().Height();
    SetViewOrigin(vertical ? CPoint(m_origin.x, m_origin.y + step) : CPoint(m_origin.x + step, m_origin.y));
}

void SScrollView::OnPaint(SRenderTarget& rt) {
    SWindow::OnPaint(rt);
    CRect client = GetClientRect();
    if (m_viewSize.cy <= client.Height() || m_viewSize.cy <= 0) return;
    // A thin bar at the right shows where the view stands.
    int length = std::max(kBarWidth * 2, client.Height() * client.Height() / m_viewSize.cy);
    int top = client.top + (client.Height() - length) * m_origin.y / std::max(1, m_viewSize.cy - client.Height());
    rt.FillSolidRect(CRect(client.right - kBarWidth, top, client.right, top + length), look::kLine);
}

}  // namespace qv::ui
