#include "platform/ui/controls/SMCListView.h"

#include <algorithm>

#include "platform/os/Log.h"
#include "platform/ui/AttrParse.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/controls/ControlLook.h"

namespace qv::ui {
SMCListView::SMCListView() { SetAttribute(u"focusable", u"1", true); }

SMCListView::~SMCListView() {
    if (m_adapter) m_adapter->unregisterDataSetObserver(this);
    // Deleted without DestroyWindow: the host may be gone already.
    for (SWindow* row : m_rows) {
        row->SetContainer(nullptr);
        delete row;
    }
}

void SMCListView::OnDestroy() {
    if (m_adapter) m_adapter->unregisterDataSetObserver(this);
    m_adapter.reset();
    DestroyRows();
    SPanel::OnDestroy();
}

void SMCListView::DestroyRows() {
    for (SWindow* row : m_rows) row->DestroyWindow();
    m_rows.clear();
    m_rowPositions.clear();
}

std::span<const AttrRow> SMCListView::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrMember<&SMCListView::m_itemHeight, 1>(u"itemHeight", AttrEffect::Relayout),
        AttrMember<&SMCListView::m_headerHeight, 0>(u"headerHeight", AttrEffect::Relayout),
    };
    return kRows;
}

BOOL SMCListView::CreateChildren(pugi::xml_node node) {
    for (pugi::xml_node item : node.child("header").children("item")) {
        SStringW title = XmlText(XmlAttrNoCase(item, "text").value());
        if (title.IsEmpty()) title = XmlText(item.text().get());
        InsertColumn(-1, STrText(title).GetText(), XmlAttrNoCase(item, "width").as_int(80));
    }
    if (pugi::xml_node tpl = node.child("template")) {
        m_template.reset();
        m_template.append_copy(tpl);
    }
    return TRUE;
}

bool SMCListView::SetTemplate(const SStringW& xml) {
    pugi::xml_document doc;
    std::string utf8 = xml.ToUtf8();
    if (!doc.load_buffer(utf8.data(), utf8.size())) {
        QV_LOGE("bad row template");
        return false;
    }
    m_template.reset();
    if (doc.first_child() && std::string_view(doc.first_child().name()) == "template") {
        m_template.append_copy(doc.first_child());
    } else {
        pugi::xml_node tpl = m_template.append_child("template");
        for (pugi::xml_node c : doc.children()) tpl.append_copy(c);
    }
    DestroyRows();  // built from the old template
    BindRows();
    return true;
}

int SMCListView::InsertColumn(int index, const SStringW& title, int width) {
    if (index < 0 || index > GetColumnCount()) index = GetColumnCount();
    m_columns.insert(m_columns.begin() + index, Column{title, std::max(0, width)});
    m_sortFlags.insert(m_sortFlags.begin() + index, ST_NULL);
    Invalidate();
    return index;
}

unsigned int SMCListView::GetSortFlags(int column) const {
    return column >= 0 && column < GetColumnCount() ? m_sortFlags[static_cast<size_t>(column)] : ST_NULL;
}

void SMCListView::SetAdapter(std::shared_ptr<SMcAdapterBase> adapter) {
    if (m_adapter) m_adapter->unregisterDataSetObserver(this);
    m_adapter = std::move(adapter);
    if (m_adapter) m_adapter->registerDataSetObserver(this);
    m_sel = -1;
    SetScrollPos(true, 0);
    onChanged();
}

int SMCListView::RowCount() const { return m_adapter ? std::max(0, m_adapter->getCount()) : 0; }

CRect SMCListView::RowsRect() const {
    CRect rc = GetClientRect();
    rc.top = std::min(rc.bottom, rc.top + m_headerHeight);
    return rc;
}

void SMCListView::onChanged() {
    if (m_sel >= RowCount()) m_sel = -1;
    // Rebind from scratch: the data under every shown row may differ.
    std::fill(m_rowPositions.begin(), m_rowPositions.end(), -1);
    UpdateContent();
    BindRows();
    Invalidate();
}

void SMCListView::ScrollTo(int top) { SetScrollPos(true, top); }

void SMCListView::UpdateContent() { SetContentSize(CSize(0, m_headerHeight + RowCount() * m_itemHeight)); }

int SMCListView::GetScrollLineSize(bool) const { return m_itemHeight; }

void SMCListView::OnScrollChanged(bool, int) {
    BindRows();
    Invalidate();
}

void SMCListView::PlaceColumns(SWindow* row) {
    if (!m_adapter) return;
    CRect rc = row->GetWindowRect();
    int left = rc.left;
    for (int i = 0; i < GetColumnCount(); ++i) {
        int width = m_columns[static_cast<size_t>(i)].width;
        SStringW name = m_adapter->GetColumnName(i);
        if (SWindow* cell = name.IsEmpty() ? nullptr : row->FindChildByName(name, 1)) {
            cell->Move(CRect(left, rc.top, left + width, rc.bottom));
        }
        left += width;
    }
}

void SMCListView::BindRows() {
    CRect rows = RowsRect();
    int count = RowCount();
    int first = GetScrollTop() / m_itemHeight;
    int inSight = rows.Height() <= 0 ? 0 : std::min(count - first, rows.Height() / m_itemHeight + 2);
    inSight = std::max(0, inSight);
    while (static_cast<int>(m_rows.size()) < inSight) {
        auto* row = new SWindow();
        row->SetContainer(GetContainer());
        if (pugi::xml_node tpl = m_template.child("template")) row->InitFromXml(tpl);
        m_rows.push_back(row);
        m_rowPositions.push_back(-1);
    }
    for (size_t k = 0; k < m_rows.size(); ++k) {
        SWindow* row = m_rows[k];
        row->SetContainer(GetContainer());
        int position = static_cast<int>(k) < inSight ? first + static_cast<int>(k) : -1;
        row->SetVisible(position >= 0, false);
        if (position < 0) {
            m_rowPositions[k] = -1;
            continue;
        }
        int top = rows.top + position * m_itemHeight - GetScrollTop();
        row->Move(CRect(rows.left, top, rows.right, top + m_itemHeight));
        if (m_rowPositions[k] != position) {
            m_rowPositions[k] = position;
            m_adapter->getView(position, row, m_template.child("template"));
        }
        row->ModifyState(position == m_sel ? WndState_Check : 0u, position == m_sel ? 0u : WndState_Check, false);
        PlaceColumns(row);
    }
}

void SMCListView::UpdateChildrenPosition() {
    UpdateContent();
    BindRows();
}

SWindow* SMCListView::GetRowWindow(int row) const {
    for (size_t k = 0; k < m_rows.size(); ++k) {
        if (m_rowPositions[k] == row && row >= 0) return m_rows[k];
    }
    return nullptr;
}

int SMCListView::GetRowOf(const SWindow* wnd) const {
    for (size_t k = 0; k < m_rows.size(); ++k) {
        if (wnd == m_rows[k] || (wnd && wnd->IsDescendant(m_rows[k]))) return m_rowPositions[k];
    }
    return -1;
}

bool SMCListView::SetSel(int row) {
    if (row < -1 || row >= RowCount()) return false;
    m_sel = row;
    if (row >= 0) EnsureVisible(row);
    BindRows();
    Invalidate();
    return true;
}

void SMCListView::EnsureVisible(int row) {
    int height = RowsRect().Height();
    int top = row * m_itemHeight;
    if (top < GetScrollTop()) ScrollTo(top);
    else if (top + m_itemHeight > GetScrollTop() + height) ScrollTo(top + m_itemHeight - height);
    BindRows();
    Invalidate();
}

CRect SMCListView::GetHeaderRect(int column) const {
    CRect client = GetClientRect();
    int left = client.left;
    for (int i = 0; i < column && i < GetColumnCount(); ++i) left += m_columns[static_cast<size_t>(i)].width;
    int width = column >= 0 && column < GetColumnCount() ? m_columns[static_cast<size_t>(column)].width : 0;
    return CRect(left, client.top, left + width, client.top + m_headerHeight);
}

void SMCListView::OnLButtonDown(CPoint pt, UINT flags) {
    SetFocus();
    if (HandleScrollBarMouse(WM_LBUTTONDOWN, pt)) return;
    for (int i = 0; i < GetColumnCount(); ++i) {
        if (!GetHeaderRect(i).PtInRect(pt)) continue;
        // The clicked column toggles and the others clear; all stay as
        // they were when the adapter does not sort.
        std::vector<unsigned int> old = m_sortFlags;
        std::fill(m_sortFlags.begin(), m_sortFlags.end(), ST_NULL);
        m_sortFlags[static_cast<size_t>(i)] = old[static_cast<size_t>(i)] == ST_UP ? ST_DOWN : ST_UP;
        if (m_adapter && m_adapter->OnSort(i, m_sortFlags.data(), GetColumnCount())) onChanged();
        else m_sortFlags = old;
        Invalidate();
        return;
    }
    CRect rows = RowsRect();
    if (!rows.PtInRect(pt)) return;
    int row = (pt.y - rows.top + GetScrollTop()) / m_itemHeight;
    if (row >= RowCount()) return;
    SetSel(row);
    // A control inside the row gets the click too (it captures the mouse to see the release).
    SWindow* rowWnd = GetRowWindow(row);
    SWindow* hit = rowWnd ? rowWnd->SwndFromPoint(pt) : nullptr;
    if (hit && hit != rowWnd && !hit->IsDisabled(true)) hit->OnLButtonDown(pt, flags);
}

void SMCListView::OnLButtonUp(CPoint pt, UINT) { HandleScrollBarMouse(WM_LBUTTONUP, pt); }

bool SMCListView::OnKeyDown(UINT vk, UINT repeat, UINT flags) {
    int count = RowCount();
    if (count == 0 || (vk != VK_UP && vk != VK_DOWN && vk != VK_HOME && vk != VK_END)) {
        return SWindow::OnKeyDown(vk, repeat, flags);
    }
    int row = vk == VK_HOME ? 0 : vk == VK_END ? count - 1 : vk == VK_UP ? std::max(0, m_sel - 1) : std::min(count - 1, m_sel + 1);
    SetSel(row);
    return true;
}

void SMCListView::OnPaint(SRenderTarget& rt) {
    SPanel::OnPaint(rt);
    SFont oldFont = rt.SelectFont(GetFont());
    COLORREF oldColor = rt.SetTextColor(GetTextColor());
    for (int i = 0; i < GetColumnCount(); ++i) {
        CRect rc = GetHeaderRect(i);
        rt.FillSolidRect(rc, look::kPanel);
        rt.FillSolidRect(CRect(rc.right - 1, rc.top, rc.right, rc.bottom), look::kLine);
        SStringW title = m_columns[static_cast<size_t>(i)].title;
        unsigned int f = m_sortFlags[static_cast<size_t>(i)];
        if (f != ST_NULL) title += f == ST_UP ? SStringW(u" \u25B2") : SStringW(u" \u25BC");
        rt.DrawText(title, rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
    rt.SetTextColor(oldColor);
    rt.SelectFont(oldFont);
    CRect rows = RowsRect();
    rt.PushClipRect(rows);
    if (SWindow* row = GetRowWindow(m_sel)) rt.FillSolidRect(row->GetWindowRect(), look::kSelection);
    for (size_t k = 0; k < m_rows.size(); ++k) {
        if (m_rowPositions[k] >= 0) m_rows[k]->Paint(rt, rows);
    }
    rt.PopClip();
}

}  // namespace qv::ui
