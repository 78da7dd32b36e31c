#include "controls/CTipWnd.h"

#include <algorithm>

#include "platform/os/Log.h"
#include "platform/ui/IDisplayBackend.h"
#include "platform/ui/SwndDispatch.h"

namespace qv::controls {

using namespace qv::ui;

namespace {

CTipWnd* g_tip = nullptr;

constexpr const char16_t* kLayout = u"LAYOUT:XML_TOOLTIP";
constexpr UINT kNamedTipMs = 2000;

// The display that holds the point.
CRect DisplayAt(CPoint at) { return GetDisplayBackend().GetDisplayNear(CRect(at, CSize(1, 1))).bounds; }

// The host window's part of its display; the display when none of the window is on it.
CRect VisiblePartOf(const SHostWnd& host) {
    const CRect window = host.GetScreenRect();
    const CRect display = GetDisplayBackend().GetDisplayNear(window).bounds;
    CRect visible;
    return visible.Intersect(window, display) ? visible : display;
}

// x moved as little as needed to put [x, x + size) inside [low, high); at
// low when it cannot fit.
int Within(int x, int size, int low, int high) { return std::max(low, std::min(x, high - size)); }

}  // namespace

CTipWnd::CTipWnd() : SHostWnd(kLayout) {
    ModifyHostStyle(HostStyle_Popup | HostStyle_TopMost | HostStyle_ToolWindow, 0);
}

CTipWnd* CTipWnd::Current() { return g_tip; }

BOOL CTipWnd::ShowTip(int x, int y, const SStringW& text, UINT ms) {
    return ShowAt(CPoint(x, y), kBottomLeft, DisplayAt(CPoint(x, y)), text, ms);
}

BOOL CTipWnd::ShowAt(CPoint anchor, int mode, const CRect& bounds, const SStringW& text, UINT ms) {
    if (g_tip) {
        g_tip->KillTimer(kTimerEnd);
        g_tip->ShowWindow(SW_HIDE);
    } else {
        auto* tip = new CTipWnd();
        if (!tip->Create(nullptr)) {
            QV_LOGE("the tip window could not be created");
            delete tip;
            return FALSE;
        }
        g_tip = tip;
    }
    CTipWnd* tip = g_tip;
    tip->m_anchor = anchor;
    tip->m_anchorMode = mode;
    tip->m_bounds = bounds;
    tip->ShowWindow(SW_SHOWNOACTIVATE);
    if (SWindow* label = tip->FindChildByName(u"txt_tip")) label->SetWindowText(text);
    else QV_LOGE("the tip layout has no txt_tip");
    tip->SizeToContent();
    tip->PlaceAtAnchor(tip->GetScreenRect().Size());
    tip->SetTimer(kTimerEnd, ms);
    return TRUE;
}

BOOL CTipWnd::ShowAtWindow(SWindow* target, const SStringW& text, UINT ms) {
    if (text.IsEmpty()) return FALSE;
    auto* host = target ? dynamic_cast<SHostWnd*>(target->GetContainer()) : nullptr;
    if (!host) {
        const CPoint cursor = GetDisplayBackend().GetCursorPos();
        return ShowAt(cursor, kBottomLeft, DisplayAt(cursor), text, ms);
    }
    const CRect rc = target->GetWindowRect();
    CPoint at((rc.left + rc.right) / 2, rc.top);
    host->ClientToScreen(at);
    return ShowAt(at, kBottomCentre, VisiblePartOf(*host), text, ms);
}

BOOL CTipWnd::ShowTipAtCtrl(int id, SWindow* parent, const SStringW& text, UINT ms) {
    return ShowAtWindow(parent ? parent->FindChildByID(id) : nullptr, text, ms);
}

BOOL CTipWnd::ShowTipAtNamedCtrl(const SStringW& name, SWindow* parent, const SStringW& text) {
    return ShowAtWindow(parent ? parent->FindChildByName(name) : nullptr, text, kNamedTipMs);
}

void CTipWnd::HideTip() {
    CTipWnd* tip = g_tip;
    if (!tip) return;
    g_tip = nullptr;
    tip->KillTimer(kTimerEnd);
    tip->DestroyWindow();
}

void CTipWnd::OnTimer(UINT_PTR id) {
    if (id != kTimerEnd) {
        SetMsgHandled(FALSE);
        return;
    }
    if (g_tip == this) g_tip = nullptr;
    DestroyWindow();
}

void CTipWnd::OnSizeMessage(UINT, CSize size) {
    PlaceAtAnchor(size);
    SetMsgHandled(FALSE);  // the host resizes its frame
}

void CTipWnd::PlaceAtAnchor(CSize size) {
    CPoint at = m_anchor;
    if (m_anchorMode == kBottomLeft || m_anchorMode == kBottomRight || m_anchorMode == kBottomCentre) at.y -= size.cy;
    if (m_anchorMode == kTopRight || m_anchorMode == kBottomRight) at.x -= size.cx;
    if (m_anchorMode == kBottomCentre) at.x -= size.cx / 2;
    at.x = Within(at.x, size.cx, m_bounds.left, m_bounds.right);
    at.y = Within(at.y, size.cy, m_bounds.top, m_bounds.bottom);
    // A move only: the size is already the new one.
    if (INativeWindow* native = GetNativeWindow()) native->SetRect(CRect(at, size));
}

void CTipWnd::OnFinalMessage(HWND) {
    if (g_tip == this) g_tip = nullptr;
    DispatchScope::DeleteLater(this);
}

}  // namespace qv::controls
