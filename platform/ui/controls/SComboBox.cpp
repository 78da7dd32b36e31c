#include "platform/ui/controls/SComboBox.h"

#include <algorithm>

#include "platform/ui/AttrParse.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SSkin.h"
#include "platform/ui/controls/ControlLook.h"
#include "platform/ui/controls/SEdit.h"

namespace qv::ui {
namespace {
constexpr int kListBorder = 2;
constexpr UINT kVkF4 = 0x73;
}  // namespace

SComboBox::SComboBox() {
    SetAttribute(u"focusable", u"1", true);
    m_events.AddEvent(EVT_CB_SELCHANGE, EventCBSelChange::EventName);
    m_listHolder = CreateListBox(pugi::xml_node());
    m_list = m_listHolder.get();
    m_list->SubscribeEvent(EVT_CMD, MemberSlot(&SComboBox::OnListCommand, this));
}

SComboBox::~SComboBox() {
    if (IsDropped()) CloseUp();
}

void SComboBox::OnDestroy() {
    if (IsDropped()) CloseUp();
    SWindow::OnDestroy();
}

std::unique_ptr<SListBox> SComboBox::CreateListBox(pugi::xml_node listStyle) {
    auto list = std::make_unique<SListBox>();
    list->SetID(kListId);
    if (listStyle) list->InitFromXml(listStyle);
    return list;
}

std::span<const AttrRow> SComboBox::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrMember<&SComboBox::m_dropDownOnly>(u"dropDown"),
        AttrMember<&SComboBox::m_dropHeight, 1>(u"dropHeight", AttrEffect::NoRepaint),
        AttrMember<&SComboBox::m_btnSkin>(u"btnSkin"),
        AttrCall<&SComboBox::SetCurSelAttr>(u"curSel"),
        AttrCall<&SComboBox::SetCueTextAttr>(u"cueText"),
    };
    return kRows;
}

HRESULT SComboBox::SetCueTextAttr(const SStringW& value, bool) {
    m_cueText.SetText(value);
    return S_OK;
}

void SComboBox::OnLanguageChanged() {
    m_cueText.Translate();
    SWindow::OnLanguageChanged();
}

HRESULT SComboBox::SetCurSelAttr(const SStringW& value, bool loading) {
    auto v = ParseInt(value);
    if (!v) return E_FAIL;
    m_pendingSel = *v;  // applied once the items exist
    if (!loading) SetCurSel(*v);
    return S_OK;
}

BOOL SComboBox::CreateChildren(pugi::xml_node node) {
    if (pugi::xml_node style = node.child("liststyle")) {
        m_listHolder = CreateListBox(style);
        m_list = m_listHolder.get();
        m_list->SubscribeEvent(EVT_CMD, MemberSlot(&SComboBox::OnListCommand, this));
    }
    m_list->CreateChildren(node);  // the <items>
    if (!m_dropDownOnly && !m_edit) {
        m_edit = new SEdit();
        m_edit->SetID(kEditId);
        if (pugi::xml_node style = node.child("editstyle")) m_edit->InitFromXml(style);
        InsertChild(m_edit);
    }
    if (m_pendingSel >= 0) SetCurSel(m_pendingSel);
    m_pendingSel = -1;
    return TRUE;
}

// ---------------------------------------------------------------- items

int SComboBox::InsertItem(int index, const SStringW& text, int icon, LPARAM data) {
    return m_list->InsertString(index, text, icon, data);
}

bool SComboBox::DeleteString(int index) {
    int sel = GetCurSel();
    if (!m_list->DeleteString(index)) return false;
    if (index == sel) ShowSelectionText();
    return true;
}

void SComboBox::ResetContent() {
    m_list->ResetContent();
    ShowSelectionText();
}

bool SComboBox::SetCurSel(int index) {
    if (!m_list->SetCurSel(index)) return false;
    ShowSelectionText();
    return true;
}

void SComboBox::ShowSelectionText() {
    SStringW text = GetLBText(GetCurSel());
    if (m_edit) m_edit->SetWindowText(text);
    else SWindow::SetWindowText(text);
    Invalidate();
}

SStringW SComboBox::GetWindowText(bool raw) const {
    if (m_edit) return m_edit->GetWindowText(raw);
    return SWindow::GetWindowText(raw);
}

void SComboBox::SetWindowText(const SStringW& text) {
    if (m_edit) m_edit->SetWindowText(text);
    else SWindow::SetWindowText(text);
}

void SComboBox::ChooseItem(int index, int before) {
    SetCurSel(index);
    if (GetCurSel() == before) return;
    EventCBSelChange e(this);
    e.nCurSel = GetCurSel();
    FireEvent(e);
}

// ---------------------------------------------------------------- drop-down

CRect SComboBox::GetDropButtonRect() const {
    CRect client = GetClientRect();
    int width = client.Height();
    if (m_btnSkin && m_btnSkin->GetSkinSize().cx > 0) width = m_btnSkin->GetSkinSize().cx;
    return CRect(std::max(client.left, client.right - width), client.top, client.right, client.bottom);
}

void SComboBox::UpdateChildrenPosition() {
    if (!m_edit) return;
    CRect rc = GetClientRect();
    rc.right = GetDropButtonRect().left;
    m_edit->Move(rc);
}

void SComboBox::DropDown() {
    auto* host = dynamic_cast<SHostWnd*>(GetContainer());
    if (IsDropped() || !host || GetCount() == 0) return;
    CRect rc = GetWindowRect();
    CPoint topLeft(rc.left, rc.bottom);
    host->ClientToScreen(topLeft);
    int height = std::min(m_dropHeight, m_list->GetContentHeight() + 2 * kListBorder);
    CRect drop(topLeft, CSize(rc.Width(), height));
    // Above the combo when it does not fit below.
    CRect work = GetDisplayBackend().GetDisplayNear(drop).work;
    if (drop.bottom > work.bottom) drop.Offset(0, -(height + rc.Height()));
    m_selBeforeDrop = GetCurSel();
    m_dropDown = std::make_unique<SDropDownWnd>(this);
    if (!m_dropDown->Create(drop)) {
        m_dropDown.reset();
        return;
    }
    m_list->EnsureVisible(GetCurSel());
    m_buttonState = WndState_PushDown;
    Invalidate();
}

void SComboBox::CloseUp() {
    if (IsDropped()) m_dropDown->EndDropDown(IDCANCEL);
}

void SComboBox::OnCreateDropDown(SDropDownWnd* dropDown) {
    dropDown->SetAttribute(u"padding", SStringW::Format(u"%d", kListBorder), true);
    dropDown->SetAttribute(u"colorBkgnd", u"#3A3D46", true);
    m_list->SetAttribute(u"pos", u"0,0,-0,-0", true);
    dropDown->InsertChild(m_listHolder.release());
}

void SComboBox::OnDestroyDropDown(SDropDownWnd* dropDown) {
    dropDown->RemoveChild(m_list);
    m_listHolder.reset(m_list);
    if (dropDown->GetExitCode() != IDOK) m_list->SetCurSel(m_selBeforeDrop);
    m_buttonState = WndState_Normal;
    Invalidate();
}

bool SComboBox::OnListCommand(EventArgs* e) {
    (void)e;
    int chosen = m_list->GetCurSel();
    if (IsDropped()) m_dropDown->EndDropDown(IDOK);
    ChooseItem(chosen, m_selBeforeDrop);
    return true;
}

// ---------------------------------------------------------------- input

void SComboBox::OnLButtonDown(CPoint pt, UINT flags) {
    (void)pt;
    (void)flags;
    SetFocus();
    if (IsDropped()) CloseUp();
    else DropDown();
}

void SComboBox::OnLButtonUp(CPoint pt, UINT flags) {
    (void)pt;
    (void)flags;
}

void SComboBox::OnMouseMove(CPoint pt, UINT flags) {
    (void)flags;
    if (IsDropped()) return;
    DWORD state = GetDropButtonRect().PtInRect(pt) ? WndState_Hover : WndState_Normal;
    if (state == m_buttonState) return;
    m_buttonState = state;
    InvalidateRect(GetDropButtonRect());
}

void SComboBox::OnMouseLeave() {
    if (!IsDropped()) m_buttonState = WndState_Normal;
    SWindow::OnMouseLeave();
}

void SComboBox::OnMouseWheel(int delta, CPoint pt) {
    if (IsDropped()) {
        m_list->OnMouseWheel(delta, pt);
        return;
    }
    int sel = GetCurSel() + (delta > 0 ? -1 : 1);
    if (sel >= 0 && sel < GetCount()) ChooseItem(sel, GetCurSel());
}

bool SComboBox::OnKeyDown(UINT vk, UINT repeat, UINT flags) {
    if (IsDropped()) {
        // The drop-down never takes the keyboard: its keys arrive here.
        if (vk == VK_ESCAPE) {
            CloseUp();
            return true;
        }
        return m_list->OnKeyDown(vk, repeat, flags);
    }
    switch (vk) {
    case kVkF4: DropDown(); return true;
    case VK_UP:
    case VK_DOWN: {
        int sel = GetCurSel() + (vk == VK_UP ? -1 : 1);
        if (sel >= 0 && sel < GetCount()) ChooseItem(sel, GetCurSel());
        return true;
    }
    default: return SWindow::OnKeyDown(vk, repeat, flags);
    }
}

void SComboBox::OnPaint(SRenderTarget& rt) {
    CRect rc = GetWindowRect();
    if (GetSkin()) GetSkin()->Draw(rt, rc, SkinFrameForState(GetState(), GetSkin()->GetStates()));
    else rt.FillSolidRect(rc, look::kPanel);
    if (!m_edit) {
        SStringW text = DisplayText(GetWindowText());
        CRect textRect = GetClientRect();
        textRect.right = GetDropButtonRect().left;
        textRect.left += 4;
        if (!text.IsEmpty()) {
            DrawText(rt, text, textRect);
        } else if (!m_cueText.GetText().IsEmpty()) {
            const SFont oldFont = rt.SelectFont(GetFont());
            const COLORREF oldColor = rt.SetTextColor(look::kTextSecondary);
            rt.DrawText(DisplayText(m_cueText.GetText()), textRect, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
            rt.SetTextColor(oldColor);
            rt.SelectFont(oldFont);
        }
    }
    CRect button = GetDropButtonRect();
    if (m_btnSkin) {
        m_btnSkin->Draw(rt, button, SkinFrameForState(m_buttonState, m_btnSkin->GetStates()));
        return;
    }
    // A small downward triangle.
    CPoint c = button.CenterPoint();
    PointF tri[3] = {{c.x - 4.f, c.y - 2.f}, {c.x + 4.f, c.y - 2.f}, {static_cast<float>(c.x), c.y + 3.f}};
    SBrush old = rt.SelectBrush(SBrush{m_buttonState == WndState_Normal ? look::kText : look::kAccent});
    rt.FillPolygon(tri, 3);
    rt.SelectBrush(old);
}

}  // namespace qv::ui
