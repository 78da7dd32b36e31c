#pragma once
// A multi-column list view over an adapter. The layout gives the columns,
// <header><item text="" width=""/>...</header>, and the row template,
// <template>...</template>. Only the rows in sight exist as windows: each
// is built from the template once and filled by the adapter's getView
// whenever it shows another row. The template's elements named after the
// columns (GetColumnName) are placed in their columns. A click on a row
// selects it; a click on a column's header asks the adapter to sort.
// Row windows live outside the window tree (the view draws them and passes
// them the clicks), so the view gets the mouse and the wheel over its rows.
// Rows that do not fit scroll by the vertical bar (beside the header too).
#include <memory>
#include <vector>

#include "platform/ui/controls/SPanel.h"
#include "platform/ui/controls/McAdapterBase.h"

namespace qv::ui {

class SMCListView : public SPanel, public ILvDataSetObserver {
    QV_CLASS_NAME(SMCListView, SPanel, u"mclistview", kObjectWindow)
    QV_ATTRIBUTES(SPanel)

public:
    struct Column {
        SStringW title;
        int width = 80;
    };

    SMCListView();
    ~SMCListView() override;
    BOOL CreateChildren(pugi::xml_node node) override;

    // The view keeps the adapter alive; null removes it.
    void SetAdapter(std::shared_ptr<SMcAdapterBase> adapter);
    SMcAdapterBase* GetAdapter() const { return m_adapter.get(); }
    int InsertColumn(int index, const SStringW& title, int width);
    int GetColumnCount() const { return static_cast<int>(m_columns.size()); }
    const Column& GetColumn(int index) const { return m_columns[static_cast<size_t>(index)]; }
    unsigned int GetSortFlags(int column) const;
    // Replaces the row template ("<template>...</template>" or its content).
    bool SetTemplate(const SStringW& xml);

    int GetSel() const { return m_sel; }
    bool SetSel(int row);
    void EnsureVisible(int row);
    int GetScrollTop() const { return GetScrollPos(true); }
    // The row window showing a row, or null when the row is out of sight.
    SWindow* GetRowWindow(int row) const;
    // The row a window (a row window or anything inside one) shows, or -1.
    int GetRowOf(const SWindow* wnd) const;
    CRect GetHeaderRect(int column) const;

    void onChanged() override;
    void UpdateChildrenPosition() override;
    void OnLButtonDown(CPoint pt, UINT flags) override;
    void OnLButtonUp(CPoint pt, UINT flags) override;
    bool OnKeyDown(UINT vk, UINT repeat, UINT flags) override;

protected:
    void OnPaint(SRenderTarget& rt) override;
    void OnDestroy() override;
    void OnScrollChanged(bool vertical, int oldPos) override;
    int GetScrollLineSize(bool vertical) const override;

private:
    int RowCount() const;
    CRect RowsRect() const;
    void ScrollTo(int top);
    // The bar follows the rows (the header counts as always in sight).
    void UpdateContent();
    // Creates, binds and places the row windows for what is in sight.
    void BindRows();
    void PlaceColumns(SWindow* row);
    void DestroyRows();

    std::shared_ptr<SMcAdapterBase> m_adapter;
    std::vector<Column> m_columns;
    std::vector<unsigned int> m_sortFlags;
    pugi::xml_document m_template;
    std::vector<SWindow*> m_rows;     // row windows, owned by the view
    std::vector<int> m_rowPositions;  // the row each shows, -1 none
    int m_itemHeight = 30;
    int m_headerHeight = 24;
    int m_sel = -1;
};

}  // namespace qv::ui
