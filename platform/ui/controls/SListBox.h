#pragma once
// A list of text items, one line each, with an optional icon (a frame of
// "iconSkin") and a data value. Clicking an item, or Enter, selects it and
// fires the command event; the arrow keys only move the selection. Items
// may be given in the layout: <items><item text="" icon="" data=""/></items>.
// A list longer than the window scrolls by its bar and the wheel.
#include <vector>

#include "platform/ui/controls/SPanel.h"

namespace qv::ui {

class SListBox : public SPanel {
    QV_CLASS_NAME(SListBox, SPanel, u"listbox", kObjectWindow)
    QV_ATTRIBUTES(SPanel)

public:
    SListBox();
    BOOL CreateChildren(pugi::xml_node node) override;

    // Returns the new item's index. index -1 (or past the end) appends.
    int InsertString(int index, const SStringW& text, int icon = -1, LPARAM data = 0);
    int AddString(const SStringW& text, int icon = -1, LPARAM data = 0) { return InsertString(-1, text, icon, data); }
    bool DeleteString(int index);
    void ResetContent();
    int GetCount() const { return static_cast<int>(m_items.size()); }
    SStringW GetText(int index) const;
    LPARAM GetItemData(int index) const;
    bool SetItemData(int index, LPARAM data);
    int GetCurSel() const { return m_curSel; }
    // -1 clears the selection; false for an index out of range.
    bool SetCurSel(int index);
    int GetItemHeight() const { return m_itemHeight; }
    // The height that shows every item.
    int GetContentHeight() const { return GetCount() * m_itemHeight; }
    CRect GetItemRect(int index) const;
    int HitTest(CPoint pt) const;
    void EnsureVisible(int index);
    int GetScrollTop() const { return GetScrollPos(true); }

    void OnLButtonDown(CPoint pt, UINT flags) override;
    void OnLButtonUp(CPoint pt, UINT flags) override;
    void OnMouseMove(CPoint pt, UINT flags) override;
    void OnMouseLeave() override;
    bool OnKeyDown(UINT vk, UINT repeat, UINT flags) override;

protected:
    void OnPaint(SRenderTarget& rt) override;
    void OnScrollChanged(bool vertical, int oldPos) override;
    int GetScrollLineSize(bool vertical) const override;

private:
    struct Item {
        SStringW text;
        int icon = -1;
        LPARAM data = 0;
    };
    void ScrollTo(int top);
    // The bar follows the number of items.
    void UpdateContent();
    HRESULT SetItemHeightAttr(const SStringW& value, bool loading);
    HRESULT SetCurSelAttr(const SStringW& value, bool loading);

    std::vector<Item> m_items;
    int m_itemHeight = 24;
    int m_curSel = -1;
    int m_hover = -1;
    ISkinObj* m_iconSkin = nullptr;
};

}  // namespace qv::ui
