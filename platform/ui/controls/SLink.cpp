#include "platform/ui/controls/SLink.h"

#include <algorithm>

#include "platform/ui/SRenderTarget.h"

namespace qv::ui {

SLink::SLink() { SetAttribute(u"focusable", u"1", true); }

bool SLink::OnKeyDown(UINT vk, UINT repeat, UINT flags) {
    if (vk == VK_RETURN) {
        FireCommand();
        return true;
    }
    return SWindow::OnKeyDown(vk, repeat, flags);
}

void SLink::OnPaint(SRenderTarget& rt) {
    SWindow::OnPaint(rt);
    if (!(GetState() & WndState_Hover)) return;
    SStringW text = DisplayText(GetWindowText());
    if (text.IsEmpty()) return;
    // The underline spans the text as the style aligns it.
    CRect rc = GetTextRect();
    CSize size = SRenderTarget::MeasureTextWith(text, GetFont());
    int width = std::min(size.cx, rc.Width());
    UINT align = GetTextAlign();
    int left = (align & DT_RIGHT) ? rc.right - width : (align & DT_CENTER) ? rc.left + (rc.Width() - width) / 2 : rc.left;
    int top = (align & DT_VCENTER) ? rc.top + (rc.Height() - size.cy) / 2 : (align & DT_BOTTOM) ? rc.bottom - size.cy : rc.top;
    float y = static_cast<float>(top + size.cy) - 0.5f;
    SPen old = rt.SelectPen(SPen{GetTextColor(), 1, PenStyle::Solid});
    rt.DrawLine({static_cast<float>(left), y}, {static_cast<float>(left + width), y});
    rt.SelectPen(old);
}

}  // namespace qv::ui
