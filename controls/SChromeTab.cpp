#include "controls/SChromeTab.h"

#include "controls/ChromeTabEvents.h"
#include "controls/SChromeTabCtrl.h"

namespace qv::controls {

using namespace qv::ui;

std::span<const AttrRow> SChromeTab::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrMember<&SChromeTab::m_allowClose>(u"allowClose", AttrEffect::NoRepaint),
    };
    return kRows;
}

void SChromeTab::OnAnimationStep(int percent) {
    if (percent < 0) return;
    const CRect& from = GetAnimationFrom();
    const CRect& to = GetAnimationTo();
    auto at = [percent](int a, int b) { return a + static_cast<int>(static_cast<long long>(percent) * (b - a) / 100); };
    Move(CRect(at(from.left, to.left), at(from.top, to.top), at(from.right, to.right), at(from.bottom, to.bottom)));
    SAnimator::OnAnimationStep(percent);
}

void SChromeTab::OnLButtonDown(CPoint pt, UINT flags) {
    SWindow::OnLButtonDown(pt, flags);
    BringWindowToTop();
    m_last = pt;
    m_moved = false;
}

void SChromeTab::OnMouseMove(CPoint pt, UINT flags) {
    if (!(flags & MK_LBUTTON) || m_pos == -1 || !m_strip || !m_strip->IsDragEnabled()) return;
    if (!(GetState() & WndState_PushDown)) return;  // the press was not ours
    CRect rc = GetWindowRect();
    if (m_strip->IsVertical()) rc.Offset(0, pt.y - m_last.y);
    else rc.Offset(pt.x - m_last.x, 0);
    StopAnimation();  // the pointer leads now
    Move(rc);
    m_last = pt;
    m_strip->ReorderAround(this, pt);
    m_moved = true;
}

void SChromeTab::OnLButtonUp(CPoint pt, UINT flags) {
    SWindow::OnLButtonUp(pt, flags);
    if (!m_moved || IsDestroying() || !m_strip) return;
    m_moved = false;
    m_strip->UpdateChildrenPosition();
}

void SChromeTab::OnLButtonDblClk(CPoint pt, UINT flags) {
    (void)pt;
    (void)flags;
    EventChromeTabDbClick e(this);
    e.iIndex = m_index;
    e.iPos = m_pos;
    FireEvent(e);
}

}  // namespace qv::controls
