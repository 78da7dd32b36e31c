#include "platform/ui/controls/SCaption.h"

#include "platform/ui/SHostWnd.h"

namespace qv::ui {
namespace {
SHostWnd* HostOf(const SWindow* wnd) { return dynamic_cast<SHostWnd*>(wnd->GetContainer()); }
}  // namespace

void SCaption::OnLButtonDown(CPoint pt, UINT flags) {
    (void)flags;
    SHostWnd* host = HostOf(this);
    if (!host) return;
    SetCapture();
    m_dragging = true;
    m_startRect = host->GetScreenRect();
    m_startScreen = pt;
    host->ClientToScreen(m_startScreen);
}

void SCaption::OnMouseMove(CPoint pt, UINT flags) {
    (void)flags;
    SHostWnd* host = HostOf(this);
    if (!m_dragging || !host) return;
    // Client points are relative to where the window is now, so the screen
    // point is taken through its current position.
    host->ClientToScreen(pt);
    CRect rc = m_startRect;
    rc.Offset(pt.x - m_startScreen.x, pt.y - m_startScreen.y);
    if (rc != host->GetScreenRect()) host->SetWindowPos(rc);
}

// The moves have already placed the window. The release's point can be
// stale (SDL gives it in the window as it stood at the last motion, before
// that motion moved it), so it must not move the window again.
void SCaption::OnLButtonUp(CPoint, UINT) {
    m_dragging = false;
    ReleaseCapture();
}

}  // namespace qv::ui
