#include "platform/ui/controls/STabCtrl.h"

#include <algorithm>

#include "platform/os/Log.h"
#include "platform/ui/AttrParse.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SSkin.h"
#include "platform/ui/controls/ControlLook.h"

namespace qv::ui {

STabCtrl::STabCtrl() {
    SetAttribute(u"focusable", u"1", true);
    m_events.AddEvent(EVT_TAB_SELCHANGED, EventTabSelChanged::EventName);
}

std::span<const AttrRow> STabCtrl::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrMember<&STabCtrl::m_tabWidth, 0>(u"tabWidth", AttrEffect::Relayout),
        AttrMember<&STabCtrl::m_tabHeight, 0>(u"tabHeight", AttrEffect::Relayout),
        AttrMember<&STabCtrl::m_tabInterval, 0>(u"tabInterval", AttrEffect::Relayout),
        AttrMember<&STabCtrl::m_tabSkin>(u"tabSkin"),
        AttrCall<&STabCtrl::SetCurSelAttr>(u"curSel", AttrEffect::NoRepaint),
    };
    return kRows;
}

HRESULT STabCtrl::SetCurSelAttr(const SStringW& value, bool loading) {
    auto v = ParseInt(value);
    if (!v) return E_FAIL;
    if (loading) m_curSel = *v;  // checked once the pages exist
    else SetCurSel(*v);
    return S_OK;
}

BOOL STabCtrl::CreateChildren(pugi::xml_node node) {
    int wanted = m_curSel;
    m_curSel = -1;
    for (pugi::xml_node child : node.children("page")) {
        auto* page = new STabPage();
        InsertChild(page);
        page->InitFromXml(child);
        m_pages.push_back(page);
    }
    m_curSel = m_pages.empty() ? -1 : (wanted >= 0 && wanted < GetItemCount() ? wanted : 0);
    ShowCurrent();
    return TRUE;
}

STabPage* STabCtrl::GetItem(int index) const {
    return index >= 0 && index < GetItemCount() ? m_pages[static_cast<size_t>(index)] : nullptr;
}

bool STabCtrl::SetCurSel(int index) {
    if (index < 0 || index >= GetItemCount()) return false;
    if (index == m_curSel) return true;
    EventTabSelChanged e(this);
    e.uOldSel = m_curSel;
    e.uNewSel = index;
    m_curSel = index;
    ShowCurrent();
    Invalidate();
    FireEvent(e);
    return true;
}

void STabCtrl::ShowCurrent() {
    for (int i = 0; i < GetItemCount(); ++i) m_pages[static_cast<size_t>(i)]->SetVisible(i == m_curSel, true);
    RequestRelayout();
}

int STabCtrl::InsertPage(STabPage* page, int index) {
    if (index < 0 || index > GetItemCount()) index = GetItemCount();
    // The order of the tabs is m_pages'; among the children it does not matter.
    InsertChild(page);
    m_pages.insert(m_pages.begin() + index, page);
    if (m_curSel >= index) ++m_curSel;
    return index;
}

int STabCtrl::InsertItem(const SStringW& xml, int index) {
    pugi::xml_document doc;
    std::string utf8 = xml.ToUtf8();
    if (!doc.load_buffer(utf8.data(), utf8.size()) || !doc.first_child()) {
        QV_LOGE("bad page XML");
        return -1;
    }
    auto* page = new STabPage();
    index = InsertPage(page, index);
    page->InitFromXml(doc.first_child());
    if (m_curSel < 0) {
        SetCurSel(index);
    } else {
        page->SetVisible(false, false);
        RequestRelayout();
    }
    Invalidate();
    return index;
}

bool STabCtrl::RemoveItem(int index, int selectAfter) {
    STabPage* page = GetItem(index);
    if (!page) return false;
    bool wasCurrent = index == m_curSel;
    m_pages.erase(m_pages.begin() + index);
    page->DestroyWindow();
    if (m_hover >= GetItemCount()) m_hover = -1;
    if (!wasCurrent) {
        if (m_curSel > index) --m_curSel;
        Invalidate();
        return true;
    }
    // The event tells the removed index as the old one.
    EventTabSelChanged e(this);
    e.uOldSel = index;
    m_curSel = e.uNewSel = m_pages.empty() ? -1 : std::clamp(selectAfter, 0, GetItemCount() - 1);
    ShowCurrent();
    Invalidate();
    FireEvent(e);
    return true;
}

void STabCtrl::RemoveAllItems() {
    while (!m_pages.empty()) RemoveItem(GetItemCount() - 1);
}

// ---------------------------------------------------------------- layout and input

CRect STabCtrl::GetTabRect(int index) const {
    CRect client = GetClientRect();
    int left = client.left + index * (m_tabWidth + m_tabInterval);
    return CRect(left, client.top, left + m_tabWidth, client.top + m_tabHeight);
}

CRect STabCtrl::PageRect() const {
    CRect rc = GetClientRect();
    rc.top = std::min(rc.bottom, rc.top + m_tabHeight);
    return rc;
}

void STabCtrl::UpdateChildrenPosition() {
    CRect rc = PageRect();
    for (STabPage* page : m_pages) page->Move(rc);
}

int STabCtrl::HitTest(CPoint pt) const {
    for (int i = 0; i < GetItemCount(); ++i) {
        if (GetTabRect(i).PtInRect(pt)) return i;
    }
    return -1;
}

void STabCtrl::OnLButtonDown(CPoint pt, UINT flags) {
    (void)flags;
    SetFocus();
    int hit = HitTest(pt);
    if (hit >= 0) SetCurSel(hit);
}

void STabCtrl::OnMouseMove(CPoint pt, UINT flags) {
    (void)flags;
    int hit = HitTest(pt);
    if (hit == m_hover) return;
    m_hover = hit;
    Invalidate();
}

void STabCtrl::OnMouseLeave() {
    m_hover = -1;
    SWindow::OnMouseLeave();
}

bool STabCtrl::OnKeyDown(UINT vk, UINT repeat, UINT flags) {
    if (vk == VK_LEFT && m_curSel > 0) return SetCurSel(m_curSel - 1);
    if (vk == VK_RIGHT && m_curSel + 1 < GetItemCount()) return SetCurSel(m_curSel + 1);
    if (vk == VK_LEFT || vk == VK_RIGHT) return true;
    return SWindow::OnKeyDown(vk, repeat, flags);
}

void STabCtrl::OnPaint(SRenderTarget& rt) {
    SWindow::OnPaint(rt);
    SFont oldFont = rt.SelectFont(GetFont());
    COLORREF oldColor = rt.SetTextColor(GetTextColor());
    for (int i = 0; i < GetItemCount(); ++i) {
        CRect tab = GetTabRect(i);
        DWORD state = i == m_curSel ? WndState_Check : i == m_hover ? WndState_Hover : WndState_Normal;
        if (m_tabSkin) {
            // Skins of four states show the current tab as pushed.
            int frame = m_tabSkin->GetStates() >= 8 ? SkinFrameForState(state, 8)
                        : i == m_curSel              ? std::min(2, m_tabSkin->GetStates() - 1)
                                                     : SkinFrameForState(state, m_tabSkin->GetStates());
            m_tabSkin->Draw(rt, tab, frame);
        } else {
            rt.FillSolidRect(tab, i == m_curSel ? look::kAccent : i == m_hover ? look::kHover : look::kPanel);
        }
        rt.DrawText(m_pages[static_cast<size_t>(i)]->GetTitle(), tab, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
    rt.SetTextColor(oldColor);
    rt.SelectFont(oldFont);
}

}  // namespace qv::ui
