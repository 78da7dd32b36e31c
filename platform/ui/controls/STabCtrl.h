#pragma once
// A tab control: a row of tabs ("tabWidth", "tabHeight", "tabInterval",
// state skin "tabSkin") over the pages, one shown at a time. Pages are its
// <page> children, or inserted later from XML. Every change of the current
// page, by a click, the keys or code, fires event 11001 with the old and new
// index.
#include <vector>

#include "platform/ui/controls/STabPage.h"

namespace qv::ui {

class STabCtrl : public SWindow {
    QV_CLASS_NAME(STabCtrl, SWindow, u"tabctrl", kObjectWindow)
    QV_ATTRIBUTES(SWindow)

public:
    STabCtrl();
    BOOL CreateChildren(pugi::xml_node node) override;

    int GetItemCount() const { return static_cast<int>(m_pages.size()); }
    STabPage* GetItem(int index) const;
    int GetCurSel() const { return m_curSel; }
    // False for an index out of range.
    bool SetCurSel(int index);
    // Inserts a page from "<page title=...>...</page>" before index (-1: at
    // the end). Returns its index, or -1 for bad XML. The first page becomes
    // the current one.
    int InsertItem(const SStringW& xml, int index = -1);
    // Destroys the page; when it was the current one, selectAfter (bounded
    // to the pages left) becomes current.
    bool RemoveItem(int index, int selectAfter = 0);
    void RemoveAllItems();
    CRect GetTabRect(int index) const;
    int HitTest(CPoint pt) const;

    void OnLButtonDown(CPoint pt, UINT flags) override;
    void OnLButtonUp(CPoint pt, UINT flags) override { (void)pt; (void)flags; }
    void OnMouseMove(CPoint pt, UINT flags) override;
    void OnMouseLeave() override;
    bool OnKeyDown(UINT vk, UINT repeat, UINT flags) override;
    void UpdateChildrenPosition() override;

protected:
    void OnPaint(SRenderTarget& rt) override;

private:
    HRESULT SetCurSelAttr(const SStringW& value, bool loading);
    int InsertPage(STabPage* page, int index);
    void ShowCurrent();
    CRect PageRect() const;

    std::vector<STabPage*> m_pages;
    int m_curSel = -1;
    int m_hover = -1;
    int m_tabWidth = 80;
    int m_tabHeight = 28;
    int m_tabInterval = 0;
    ISkinObj* m_tabSkin = nullptr;
};

}  // namespace qv::ui
