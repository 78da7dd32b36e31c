#include "platform/ui/controls/SButton.h"

#include "platform/ui/SRenderTarget.h"
#include "platform/ui/controls/ControlLook.h"

namespace qv::ui {

SButton::SButton() {
    SetAttribute(u"focusable", u"1", true);
    SetAttribute(u"align", u"center", true);
}

bool SButton::OnKeyDown(UINT vk, UINT repeat, UINT flags) {
    if (vk == VK_SPACE || vk == VK_RETURN) {
        FireCommand();
        return true;
    }
    return SWindow::OnKeyDown(vk, repeat, flags);
}

void SButton::OnPaint(SRenderTarget& rt) {
    if (!GetSkin()) DrawDefaultFace(rt);
    SWindow::OnPaint(rt);
}

void SButton::DrawDefaultFace(SRenderTarget& rt) {
    CRect rc = GetWindowRect();
    DWORD state = GetState();
    COLORREF face = (state & WndState_PushDown) ? look::kAccent : (state & WndState_Hover) ? look::kHover : look::kPanel;
    rt.FillSolidRect(rc, face);
    SPen old = rt.SelectPen(SPen{look::kLine, 1, PenStyle::Solid});
    rt.DrawRectangle(rc);
    rt.SelectPen(old);
}

}  // namespace qv::ui
