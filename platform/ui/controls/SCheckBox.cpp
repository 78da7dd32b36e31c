#include "platform/ui/controls/SCheckBox.h"

#include <algorithm>

#include "platform/ui/AttrParse.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SSkin.h"
#include "platform/ui/controls/ControlLook.h"

namespace qv::ui {
namespace {
constexpr int kDefaultBox = 14;
constexpr int kBoxGap = 4;
}  // namespace

SCheckBox::SCheckBox() { SetAttribute(u"focusable", u"1", true); }

std::span<const AttrRow> SCheckBox::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrMember<&SCheckBox::m_autoCheck>(u"autoCheck", AttrEffect::NoRepaint),
    };
    return kRows;
}

void SCheckBox::OnLButtonUp(CPoint pt, UINT flags) {
    if (m_autoCheck && (GetState() & WndState_PushDown) && GetWindowRect().PtInRect(pt)) OnClickCheck();
    SWindow::OnLButtonUp(pt, flags);
}

bool SCheckBox::OnKeyDown(UINT vk, UINT repeat, UINT flags) {
    if (vk != VK_SPACE) return SWindow::OnKeyDown(vk, repeat, flags);
    if (m_autoCheck) OnClickCheck();
    FireCommand();
    return true;
}

CSize SCheckBox::GetBoxSize() const {
    if (ISkinObj* skin = GetSkin()) {
        CSize s = skin->GetSkinSize();
        if (s.cx > 0 && s.cy > 0) return s;
    }
    return CSize(kDefaultBox, kDefaultBox);
}

CRect SCheckBox::GetBoxRect() const {
    CRect client = GetClientRect();
    CSize box = GetBoxSize();
    int top = client.top + (client.Height() - box.cy) / 2;
    return CRect(client.left, top, client.left + box.cx, top + box.cy);
}

CRect SCheckBox::GetTextRect() const {
    CRect rc = GetClientRect();
    rc.left = std::min(rc.right, rc.left + GetBoxSize().cx + kBoxGap);
    return rc;
}

CSize SCheckBox::GetDesiredSize() {
    CSize box = GetBoxSize();
    SStringW text = DisplayText(GetWindowText());
    CSize size = box;
    if (!text.IsEmpty()) {
        CSize t = SRenderTarget::MeasureTextWith(text, GetFont());
        size = CSize(box.cx + kBoxGap + t.cx, std::max(box.cy, t.cy));
    }
    return CSize(size.cx + m_padding.left + m_padding.right, size.cy + m_padding.top + m_padding.bottom);
}

void SCheckBox::OnPaint(SRenderTarget& rt) {
    CRect box = GetBoxRect();
    if (ISkinObj* skin = GetSkin()) skin->Draw(rt, box, SkinFrameForState(GetState(), skin->GetStates()));
    else DrawDefaultBox(rt, box);
    SStringW text = DisplayText(GetWindowText());
    if (!text.IsEmpty()) DrawText(rt, text, GetTextRect());
}

void SCheckBox::DrawDefaultBox(SRenderTarget& rt, const CRect& box) {
    rt.FillSolidRect(box, (GetState() & WndState_Hover) ? look::kHover : look::kPanel);
    SPen old = rt.SelectPen(SPen{look::kLine, 1, PenStyle::Solid});
    rt.DrawRectangle(box);
    rt.SelectPen(old);
    if (IsChecked()) {
        CRect mark = box;
        mark.Deflate(3, 3);
        rt.FillSolidRect(mark, look::kAccent);
    }
}

}  // namespace qv::ui
