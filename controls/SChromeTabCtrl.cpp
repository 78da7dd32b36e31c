#include "controls/SChromeTabCtrl.h"

#include <algorithm>

#include "controls/ChromeTabEvents.h"
#include "controls/SChromeTab.h"
#include "platform/ui/SWindowFactory.h"
#include "platform/ui/controls/SImageButton.h"

namespace qv::controls {

using namespace qv::ui;

namespace {
void ApplyAttributes(SWindow* wnd, pugi::xml_node node) {
    for (pugi::xml_attribute attr : node.attributes()) wnd->SetAttribute(XmlText(attr.name()), XmlText(attr.value()), true);
}
}  // namespace

std::span<const AttrRow> SChromeTabCtrl::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrMember<&SChromeTabCtrl::m_tabDesiredSize>(u"tabDesiredSize", AttrEffect::Relayout),
        AttrMember<&SChromeTabCtrl::m_enableDrag>(u"enableDrag", AttrEffect::NoRepaint),
        AttrCall<&SChromeTabCtrl::SetTabAlignAttr>(u"tabAlign", AttrEffect::Relayout),
    };
    return kRows;
}

// Only these two spellings.
HRESULT SChromeTabCtrl::SetTabAlignAttr(const SStringW& value, bool) {
    if (value == SStringW(u"horizontal")) m_vertical = false;
    else if (value == SStringW(u"vertical")) m_vertical = true;
    else return E_FAIL;
    return S_OK;
}

SChromeTabCtrl::SChromeTabCtrl() {
    m_events.AddEvent(EVT_CHROMETAB_NEW, EventChromeTabNew::EventName);
    m_events.AddEvent(EVT_CHROMETAB_CLOSE, EventChromeTabClose::EventName);
    m_events.AddEvent(EVT_CHROMETAB_SELCHANGED, EventChromeTabSelChanged::EventName);
}

void SChromeTabCtrl::OnDestroy() {
    if (ISwndContainer* c = GetContainer()) c->UnregisterTimelineHandler(this);
    m_onTimeline = false;
    SWindow::OnDestroy();
}

BOOL SChromeTabCtrl::CreateChildren(pugi::xml_node node) {
    m_templates.reset();
    if (pugi::xml_node style = node.child("tabStyle")) m_templates.append_copy(style);
    for (pugi::xml_node element : node.child("tabs").children("chromeTab")) {
        SChromeTab* tab = AddTab();
        tab->InitFromXml(element);
    }
    if (pugi::xml_node style = node.child("newBtnStyle")) {
        m_newBtn = new SChromeTab(this);
        InsertChild(m_newBtn);
        m_newBtn->InitFromXml(style);
        m_newBtn->SubscribeEvent(EVT_CMD, MemberSlot(&SChromeTabCtrl::OnNewTabCommand, this));
    }
    if (pugi::xml_node style = node.child("closeBtnStyle")) {
        m_templates.append_copy(style);
        for (SChromeTab* tab : m_tabs) AddCloseButton(tab);
    }
    return TRUE;
}

// A tab at the end with the tab style, its command selecting it.
SChromeTab* SChromeTabCtrl::AddTab() {
    auto* tab = new SChromeTab(this);
    tab->m_pos = tab->m_index = GetTabCount();
    InsertChild(tab);
    ApplyAttributes(tab, m_templates.child("tabStyle"));
    tab->SubscribeEvent(EVT_CMD, MemberSlot(&SChromeTabCtrl::OnTabCommand, this));
    m_tabs.push_back(tab);
    return tab;
}

void SChromeTabCtrl::AddCloseButton(SChromeTab* tab) {
    pugi::xml_node style = m_templates.child("closeBtnStyle");
    if (!style || !tab->AllowsClose()) return;
    SWindow* button = CreateWindowByName(SImageButton::GetClassName());
    if (!button) return;
    tab->InsertChild(button);
    button->InitFromXml(style);
    button->SubscribeEvent(EVT_CMD, MemberSlot(&SChromeTabCtrl::OnCloseCommand, this));
}

// ---------------------------------------------------------------- layout

CSize SChromeTabCtrl::NewButtonSize() const {
    if (!m_newBtn) return CSize();
    const SwndPosition& pos = m_newBtn->GetPosition();
    const CSize desired = m_newBtn->GetDesiredSize();
    return CSize(pos.width > 0 ? pos.width : desired.cx, pos.height > 0 ? pos.height : desired.cy);
}

void SChromeTabCtrl::UpdateChildrenPosition() {
    const CRect c = GetClientRect();
    const CSize button = NewButtonSize();
    const int count = GetTabCount();
    const int available = m_vertical ? c.Height() - button.cy : c.Width() - button.cx;
    int length = 0;
    if (count > 0) length = available > count * m_tabDesiredSize ? m_tabDesiredSize : available / count;
    length = std::max(0, length);
    CRect slot = m_vertical ? CRect(c.left, c.top, c.right, c.top + length) : CRect(c.left, c.top, c.left + length, c.bottom);
    for (SChromeTab* tab : m_tabs) {
        AnimateTab(tab, slot);
        if (m_vertical) slot.Offset(0, length);
        else slot.Offset(length, 0);
    }
    if (m_newBtn) AnimateTab(m_newBtn, CRect(slot.TopLeft(), button));
}

void SChromeTabCtrl::AnimateTab(SChromeTab* tab, const CRect& to) {
    if (!tab->IsAnimating() && tab->GetWindowRect() == to) return;
    tab->StartAnimation(tab->GetWindowRect(), to, kMoveMs);
    if (m_onTimeline) return;
    if (ISwndContainer* c = GetContainer()) m_onTimeline = c->RegisterTimelineHandler(this);
}

// The bar is on the timeline only while something moves.
void SChromeTabCtrl::OnNextFrame() {
    bool moving = false;
    for (SChromeTab* tab : m_tabs) {
        tab->AnimationFrame();
        moving = moving || tab->IsAnimating();
    }
    if (m_newBtn) {
        m_newBtn->AnimationFrame();
        moving = moving || m_newBtn->IsAnimating();
    }
    if (moving) return;
    if (ISwndContainer* c = GetContainer()) c->UnregisterTimelineHandler(this);
    m_onTimeline = false;
}

// ---------------------------------------------------------------- tabs

void SChromeTabCtrl::SetCurSel(int pos) {
    const int current = GetCurSel();
    if (pos < -1 || pos >= GetTabCount() || pos == current) return;
    if (m_sel) m_sel->SetCheck(false);
    m_sel = pos == -1 ? nullptr : m_tabs[static_cast<size_t>(pos)];
    if (m_sel) m_sel->SetCheck(true);
    EventChromeTabSelChanged e(this);
    e.iOldSel = current;
    e.iNewSel = pos;
    FireEvent(e);
}

int SChromeTabCtrl::GetCurSel() const { return m_sel ? m_sel->m_pos : -1; }

SChromeTab* SChromeTabCtrl::InsertTab() {
    const CRect c = GetClientRect();
    CRect at = m_vertical ? CRect(c.left, c.top, c.right, c.top + m_tabDesiredSize)
                          : CRect(c.left, c.top, c.left + m_tabDesiredSize, c.bottom);
    if (!m_tabs.empty()) {
        const CRect last = m_tabs.back()->GetWindowRect();
        at = m_vertical ? CRect(last.left, last.bottom, last.right, last.bottom + m_tabDesiredSize)
                        : CRect(last.right, last.top, last.right + m_tabDesiredSize, last.bottom);
    }
    SChromeTab* tab = AddTab();
    AddCloseButton(tab);
    tab->Move(at);
    UpdateChildrenPosition();
    EventChromeTabNew e(this);
    e.pNewTab = tab;
    e.iNewTab = tab->m_pos;
    FireEvent(e);
    return tab;
}

BOOL SChromeTabCtrl::RemoveTab(SChromeTab* tab) {
    auto it = std::find(m_tabs.begin(), m_tabs.end(), tab);
    if (!tab || it == m_tabs.end()) return FALSE;
    if (m_sel == tab) m_sel = nullptr;
    const int pos = tab->m_pos;
    const int index = tab->m_index;
    m_tabs.erase(it);
    tab->DestroyWindow();
    UpdateChildrenPosition();
    for (SChromeTab* t : m_tabs) {
        if (t->m_pos > pos) --t->m_pos;
        if (t->m_index > index) --t->m_index;
    }
    return TRUE;
}

BOOL SChromeTabCtrl::RemoveTab(int pos) { return RemoveTab(GetTab(pos)); }

SChromeTab* SChromeTabCtrl::GetTab(int pos) const {
    return pos >= 0 && pos < GetTabCount() ? m_tabs[static_cast<size_t>(pos)] : nullptr;
}

int SChromeTabCtrl::GetTabIndex(int pos) const {
    const SChromeTab* tab = GetTab(pos);
    return tab ? tab->m_index : -1;
}

int SChromeTabCtrl::GetTabPos(int index) const {
    for (const SChromeTab* tab : m_tabs)
        if (tab->m_index == index) return tab->m_pos;
    return -1;
}

void SChromeTabCtrl::ReorderAround(SChromeTab* dragged, CPoint pt) {
    const std::vector<SChromeTab*> tabs = m_tabs;
    for (SChromeTab* other : tabs) {
        if (other == dragged) continue;
        const CRect r = other->GetWindowRect();
        const bool passed = m_vertical ? (r.top + r.bottom) / 2 <= pt.y && pt.y <= r.bottom
                                       : (r.left + r.right) / 2 <= pt.x && pt.x <= r.right;
        if (!passed) continue;
        const int step = other->m_pos < dragged->m_pos ? 1 : -1;
        CRect moved = r;
        if (m_vertical) moved.Offset(0, step * r.Height());
        else moved.Offset(step * r.Width(), 0);
        other->StopAnimation();
        other->Move(moved);
        std::swap(other->m_pos, dragged->m_pos);
        m_tabs[static_cast<size_t>(other->m_pos)] = other;
        m_tabs[static_cast<size_t>(dragged->m_pos)] = dragged;
    }
}

// ---------------------------------------------------------------- commands

bool SChromeTabCtrl::OnTabCommand(EventArgs* e) {
    if (auto* tab = dynamic_cast<SChromeTab*>(e->Sender())) SetCurSel(tab->m_pos);
    return false;
}

bool SChromeTabCtrl::OnNewTabCommand(EventArgs*) {
    InsertTab();
    return true;
}

bool SChromeTabCtrl::OnCloseCommand(EventArgs* e) {
    auto* button = dynamic_cast<SWindow*>(e->Sender());
    auto* tab = button ? dynamic_cast<SChromeTab*>(button->GetParent()) : nullptr;
    if (!tab || std::find(m_tabs.begin(), m_tabs.end(), tab) == m_tabs.end()) return true;
    EventChromeTabClose close(this);
    close.pCloseTab = tab;
    close.iCloseTab = tab->m_pos;
    FireEvent(close);
    RemoveTab(tab);
    return true;
}

}  // namespace qv::controls
