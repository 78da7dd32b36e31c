#include "platform/ui/SToolTipWnd.h"

#include <algorithm>
#include <mutex>

#include "platform/os/Log.h"

namespace qv::ui {
namespace {

constexpr int kGapBelow = 4;  // between the control and the tip

std::mutex g_layoutLock;
SStringW g_layout = u"LAYOUT:XML_TOOLTIP";

}  // namespace

void SetToolTipLayout(const SStringW& layoutName) {
    std::lock_guard lock(g_layoutLock);
    g_layout = layoutName;
}

SStringW GetToolTipLayout() {
    std::lock_guard lock(g_layoutLock);
    return g_layout;
}

SToolTipWnd::SToolTipWnd() : SHostWnd(GetToolTipLayout()) {
    ModifyHostStyle(HostStyle_Popup | HostStyle_TopMost | HostStyle_ToolWindow | HostStyle_NoActivate, 0);
}

bool SToolTipWnd::Create() { return SHostWnd::Create() != nullptr; }

void SToolTipWnd::SetText(const SStringW& text) {
    m_text = text;
    SWindow* tip = FindChildByName(u"txt_tip");
    if (!tip) {
        QV_LOGE("tooltip layout without txt_tip");
        return;
    }
    tip->SetWindowText(text);
    SizeToContent();
}

void SToolTipWnd::ShowBelow(const SWindow& control, const SHostWnd& host) {
    if (!IsWindow()) return;
    if (m_text.IsEmpty()) {
        Hide();
        return;
    }
    CRect rc = control.GetWindowRect();
    CPoint at(rc.left, rc.bottom + kGapBelow);
    host.ClientToScreen(at);
    CRect own = GetScreenRect();
    CRect area = GetDisplayBackend().GetDisplayNear(CRect(at, own.Size())).work;
    // No room below: above the control instead.
    if (at.y + own.Height() > area.bottom) {
        CPoint above(rc.left, rc.top - kGapBelow - own.Height());
        host.ClientToScreen(above);
        at.y = above.y;
    }
    at.x = std::clamp(at.x, area.left, std::max(area.left, area.right - own.Width()));
    at.y = std::max(at.y, area.top);
    SetWindowPos(CRect(at.x, at.y, at.x + own.Width(), at.y + own.Height()));
    ShowWindow(SW_SHOWNOACTIVATE);
}

}  // namespace qv::ui
