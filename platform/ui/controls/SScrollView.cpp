#include "platform/ui/controls/SScrollView.h"

#include <algorithm>
#include <optional>

namespace qv::ui {

std::span<const AttrRow> SScrollView::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrMember<&SScrollView::m_fixedSize>(u"viewSize", AttrEffect::Relayout),
    };
    return kRows;
}

SScrollView::SScrollView() { m_events.AddEvent(EVT_SCROLLVIEW_ORIGINCHANGED, EventScrollViewOriginChanged::EventName); }

void SScrollView::SetViewSize(CSize size) {
    m_fixedSize = size;
    UpdateChildrenPosition();
    Invalidate();
}

std::optional<int> SScrollView::GridViewHeight() const {
    const GridLayoutParams* grid = GetGridLayout();
    if (!grid || grid->rows <= 0) return std::nullopt;
    int tallest = 0;
    for (SWindow* c = GetWindow(GSW_FIRSTCHILD); c; c = c->GetWindow(GSW_NEXTSIBLING)) {
        if (c->IsVisible() && !c->IsDestroying()) tallest = std::max(tallest, LayoutHeightOf(c));
    }
    return grid->rows * tallest + (grid->rows - 1) * grid->yInterval;
}

CRect SScrollView::GetChildrenLayoutRect() const {
    CRect client = GetClientRect();
    int width = m_fixedSize.cx >= 0 ? m_fixedSize.cx : client.Width();
    int height = m_fixedSize.cy >= 0 ? m_fixedSize.cy : GridViewHeight().value_or(client.Height());
    CRect rc(client.left, client.top, client.left + width, client.top + height);
    rc.Offset(-GetScrollPos(false), -GetScrollPos(true));
    return rc;
}

CSize SScrollView::MeasureView() const {
    // The children's extent, measured from the view's own corner.
    const CRect view = GetChildrenLayoutRect();
    const CRect client = GetClientRect();
    CSize extent;
    for (SWindow* c = GetWindow(GSW_FIRSTCHILD); c; c = c->GetWindow(GSW_NEXTSIBLING)) {
        if (!c->IsVisible() || c->IsDestroying()) continue;
        CRect rc = c->GetWindowRect();
        extent.cx = std::max(extent.cx, rc.right - view.left);
        extent.cy = std::max(extent.cy, rc.bottom - view.top);
    }
    return CSize(m_fixedSize.cx >= 0 ? m_fixedSize.cx : std::max(client.Width(), extent.cx),
                 m_fixedSize.cy >= 0 ? m_fixedSize.cy : std::max(client.Height(), extent.cy));
}

void SScrollView::UpdateChildrenPosition() {
    // A bar that appears or goes changes the visible area, and with it the
    // view of a side without a fixed size: lay out again until it holds.
    for (int round = 0; round < 3; ++round) {
        CRect before = GetClientRect();
        SWindow::UpdateChildrenPosition();
        SetContentSize(MeasureView());
        if (GetClientRect() == before) break;
    }
}

void SScrollView::SetViewOrigin(CPoint origin) {
    m_settingOrigin = true;
    m_originBefore = GetViewOrigin();
    bool moved = SetScrollPos(false, origin.x);
    moved = SetScrollPos(true, origin.y) || moved;
    m_settingOrigin = false;
    if (!moved) return;
    SWindow::UpdateChildrenPosition();
    Invalidate();
    EventScrollViewOriginChanged e(this);
    e.ptOldOrigin = m_originBefore;
    e.ptNewOrigin = GetViewOrigin();
    FireEvent(e);
}

void SScrollView::OnScrollChanged(bool vertical, int oldPos) {
    if (m_settingOrigin) return;  // SetViewOrigin reports both sides at once
    CPoint old = GetViewOrigin();
    (vertical ? old.y : old.x) = oldPos;
    SWindow::UpdateChildrenPosition();
    Invalidate();
    EventScrollViewOriginChanged e(this);
    e.ptOldOrigin = old;
    e.ptNewOrigin = GetViewOrigin();
    FireEvent(e);
}

}  // namespace qv::ui
