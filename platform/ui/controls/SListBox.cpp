#include "platform/ui/controls/SListBox.h"

#include <algorithm>

#include "platform/ui/AttrParse.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SSkin.h"
#include "platform/ui/controls/ControlLook.h"

namespace qv::ui {
namespace {
constexpr int kTextIndent = 4;
}  // namespace

SListBox::SListBox() { SetAttribute(u"focusable", u"1", true); }

std::span<const AttrRow> SListBox::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrCall<&SListBox::SetItemHeightAttr>(u"itemHeight"),
        AttrMember<&SListBox::m_iconSkin>(u"iconSkin"),
        AttrCall<&SListBox::SetCurSelAttr>(u"curSel"),
    };
    return kRows;
}

HRESULT SListBox::SetItemHeightAttr(const SStringW& value, bool) {
    auto v = ParseInt(value);
    if (!v || *v <= 0) return E_FAIL;
    m_itemHeight = *v;
    UpdateContent();
    return S_OK;
}

void SListBox::UpdateContent() { SetContentSize(CSize(0, GetContentHeight())); }

int SListBox::GetScrollLineSize(bool) const { return m_itemHeight; }

void SListBox::OnScrollChanged(bool, int) { Invalidate(); }

HRESULT SListBox::SetCurSelAttr(const SStringW& value, bool) {
    auto v = ParseInt(value);
    if (!v) return E_FAIL;
    SetCurSel(*v);
    return S_OK;
}

BOOL SListBox::CreateChildren(pugi::xml_node node) {
    for (pugi::xml_node item : node.child("items").children("item")) {
        int icon = XmlAttrNoCase(item, "icon").as_int(-1);
        auto data = ParseInt(XmlText(XmlAttrNoCase(item, "data").value()));
        SStringW text = XmlText(XmlAttrNoCase(item, "text").value());
        if (text.IsEmpty()) text = XmlText(item.text().get());
        AddString(STrText(text).GetText(), icon, data ? static_cast<LPARAM>(*data) : 0);
    }
    if (int sel = XmlAttrNoCase(node, "curSel").as_int(-1); sel >= 0) SetCurSel(sel);
    return TRUE;  // a list has no child windows
}

int SListBox::InsertString(int index, const SStringW& text, int icon, LPARAM data) {
    if (index < 0 || index > GetCount()) index = GetCount();
    m_items.insert(m_items.begin() + index, Item{text, icon, data});
    if (m_curSel >= index) ++m_curSel;
    UpdateContent();
    Invalidate();
    return index;
}

bool SListBox::DeleteString(int index) {
    if (index < 0 || index >= GetCount()) return false;
    m_items.erase(m_items.begin() + index);
    if (m_curSel == index) m_curSel = -1;
    else if (m_curSel > index) --m_curSel;
    m_hover = -1;
    UpdateContent();
    Invalidate();
    return true;
}

void SListBox::ResetContent() {
    m_items.clear();
    m_curSel = m_hover = -1;
    UpdateContent();
    Invalidate();
}

SStringW SListBox::GetText(int index) const {
    return index >= 0 && index < GetCount() ? m_items[static_cast<size_t>(index)].text : SStringW();
}

LPARAM SListBox::GetItemData(int index) const {
    return index >= 0 && index < GetCount() ? m_items[static_cast<size_t>(index)].data : 0;
}

bool SListBox::SetItemData(int index, LPARAM data) {
    if (index < 0 || index >= GetCount()) return false;
    m_items[static_cast<size_t>(index)].data = data;
    return true;
}

bool SListBox::SetCurSel(int index) {
    if (index < -1 || index >= GetCount()) return false;
    m_curSel = index;
    if (index >= 0) EnsureVisible(index);
    Invalidate();
    return true;
}

CRect SListBox::GetItemRect(int index) const {
    CRect client = GetClientRect();
    int top = client.top + index * m_itemHeight - GetScrollTop();
    return CRect(client.left, top, client.right, top + m_itemHeight);
}

int SListBox::HitTest(CPoint pt) const {
    CRect client = GetClientRect();
    if (!client.PtInRect(pt)) return -1;
    int index = (pt.y - client.top + GetScrollTop()) / m_itemHeight;
    return index < GetCount() ? index : -1;
}

void SListBox::ScrollTo(int top) { SetScrollPos(true, top); }

void SListBox::EnsureVisible(int index) {
    if (index < 0 || index >= GetCount()) return;
    int height = GetClientRect().Height();
    int top = index * m_itemHeight;
    if (top < GetScrollTop()) ScrollTo(top);
    else if (top + m_itemHeight > GetScrollTop() + height) ScrollTo(top + m_itemHeight - height);
}

void SListBox::OnLButtonDown(CPoint pt, UINT flags) {
    if (HandleScrollBarMouse(WM_LBUTTONDOWN, pt)) return;
    SWindow::OnLButtonDown(pt, flags);
    int hit = HitTest(pt);
    if (hit >= 0) SetCurSel(hit);
}

void SListBox::OnLButtonUp(CPoint pt, UINT flags) {
    (void)flags;
    if (HandleScrollBarMouse(WM_LBUTTONUP, pt)) return;
    bool pressed = (GetState() & WndState_PushDown) != 0;
    ReleaseCapture();
    ModifyState(0, WndState_PushDown, true);
    int hit = HitTest(pt);
    // A click counts on the item it began on.
    if (pressed && hit >= 0 && hit == m_curSel) FireCommand();
}

void SListBox::OnMouseMove(CPoint pt, UINT flags) {
    (void)flags;
    int hit = HandleScrollBarMouse(WM_MOUSEMOVE, pt) ? -1 : HitTest(pt);
    if (hit == m_hover) return;
    m_hover = hit;
    Invalidate();
}

void SListBox::OnMouseLeave() {
    m_hover = -1;
    SPanel::OnMouseLeave();
}

bool SListBox::OnKeyDown(UINT vk, UINT repeat, UINT flags) {
    int count = GetCount();
    if (count == 0) return SWindow::OnKeyDown(vk, repeat, flags);
    int page = std::max(1, GetClientRect().Height() / m_itemHeight);
    int sel = m_curSel;
    switch (vk) {
    case VK_UP: sel = sel < 0 ? 0 : sel - 1; break;
    case VK_DOWN: sel = sel + 1; break;
    case VK_PRIOR: sel = sel - page; break;
    case VK_NEXT: sel = sel + page; break;
    case VK_HOME: sel = 0; break;
    case VK_END: sel = count - 1; break;
    case VK_RETURN:
        if (m_curSel >= 0) FireCommand();
        return true;
    default: return SWindow::OnKeyDown(vk, repeat, flags);
    }
    SetCurSel(std::clamp(sel, 0, count - 1));
    return true;
}

void SListBox::OnPaint(SRenderTarget& rt) {
    SPanel::OnPaint(rt);
    CRect client = GetClientRect();
    rt.PushClipRect(client);
    int first = std::max(0, GetScrollTop() / m_itemHeight);
    SFont oldFont = rt.SelectFont(GetFont());
    COLORREF oldColor = rt.SetTextColor(GetTextColor());
    for (int i = first; i < GetCount(); ++i) {
        CRect rc = GetItemRect(i);
        if (rc.top >= client.bottom) break;
        if (i == m_curSel) rt.FillSolidRect(rc, look::kAccent);
        else if (i == m_hover) rt.FillSolidRect(rc, look::kHover);
        CRect text = rc;
        text.left += kTextIndent;
        const Item& item = m_items[static_cast<size_t>(i)];
        if (m_iconSkin && item.icon >= 0) {
            CSize s = m_iconSkin->GetSkinSize();
            int top = rc.top + (rc.Height() - s.cy) / 2;
            m_iconSkin->Draw(rt, CRect(text.left, top, text.left + s.cx, top + s.cy), item.icon);
            text.left += s.cx + kTextIndent;
        }
        rt.DrawText(item.text, text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    rt.SetTextColor(oldColor);
    rt.SelectFont(oldFont);
    rt.PopClip();
}

}  // namespace qv::ui
