#include "platform/ui/controls/SRadioBox.h"

#include "platform/ui/SRenderTarget.h"
#include "platform/ui/controls/ControlLook.h"

namespace qv::ui {

void SRadioBox::OnSetFocus() {
    SCheckBox::OnSetFocus();
    if (GetAutoCheck() && !IsChecked() && !m_pressing) SetCheck(true);
}

void SRadioBox::OnLButtonDown(CPoint pt, UINT flags) {
    m_pressing = true;
    SCheckBox::OnLButtonDown(pt, flags);
    m_pressing = false;
}

SRadioBox* SRadioBox::GetGroupChecked() const {
    SWindow* parent = GetParent();
    if (!parent) return IsChecked() ? const_cast<SRadioBox*>(this) : nullptr;
    for (SWindow* w = parent->GetWindow(GSW_FIRSTCHILD); w; w = w->GetWindow(GSW_NEXTSIBLING)) {
        auto* radio = dynamic_cast<SRadioBox*>(w);
        if (radio && radio->IsChecked() && !radio->IsDestroying()) return radio;
    }
    return nullptr;
}

void SRadioBox::OnStateChanged(DWORD oldState, DWORD newState) {
    SCheckBox::OnStateChanged(oldState, newState);
    if ((oldState & WndState_Check) || !(newState & WndState_Check)) return;
    SWindow* parent = GetParent();
    if (!parent) return;
    for (SWindow* w = parent->GetWindow(GSW_FIRSTCHILD); w; w = w->GetWindow(GSW_NEXTSIBLING)) {
        auto* radio = dynamic_cast<SRadioBox*>(w);
        if (radio && radio != this && radio->IsChecked()) radio->SetCheck(false);
    }
}

void SRadioBox::DrawDefaultBox(SRenderTarget& rt, const CRect& box) {
    rt.SetAntiAlias(true);
    SBrush oldBrush = rt.SelectBrush(SBrush{(GetState() & WndState_Hover) ? look::kHover : look::kPanel});
    rt.FillEllipse(box);
    SPen oldPen = rt.SelectPen(SPen{look::kLine, 1, PenStyle::Solid});
    rt.DrawEllipse(box);
    if (IsChecked()) {
        CRect dot = box;
        dot.Deflate(4, 4);
        rt.SelectBrush(SBrush{look::kAccent});
        rt.FillEllipse(dot);
    }
    rt.SelectPen(oldPen);
    rt.SelectBrush(oldBrush);
}

}  // namespace qv::ui
