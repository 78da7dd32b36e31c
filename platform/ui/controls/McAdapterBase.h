#pragma once
// The data behind a multi-column list view. The view asks for the row count
// and fills each row window it shows through getView; the adapter tells its
// observers (the views) when the data changed.
#include <pugixml.hpp>
#include <vector>

#include "platform/ui/SStringW.h"

namespace qv::ui {

class SWindow;

class ILvDataSetObserver {
public:
    virtual ~ILvDataSetObserver() = default;
    // The rows changed: bind every shown row again.
    virtual void onChanged() = 0;
};

// Sort flags of a column, kept by the view and passed to OnSort.
constexpr unsigned int ST_NULL = 0;
constexpr unsigned int ST_UP = 1;
constexpr unsigned int ST_DOWN = 2;

class SMcAdapterBase {
public:
    virtual ~SMcAdapterBase() = default;

    virtual int getCount() = 0;
    // Fills the row window for the row. The view has already built the
    // window from the row template (given too) the first time it is used.
    virtual void getView(int position, SWindow* pItem, pugi::xml_node xmlTemplate) = 0;
    // The name of the template's element that fills the column.
    virtual SStringW GetColumnName(int column) const = 0;
    // Sorts by the column; stFlags holds every column's flags (the clicked
    // one already toggled). Return true when the order changed.
    virtual bool OnSort(int column, unsigned int* stFlags, int count) {
        (void)column;
        (void)stFlags;
        (void)count;
        return false;
    }

    void registerDataSetObserver(ILvDataSetObserver* observer);
    void unregisterDataSetObserver(ILvDataSetObserver* observer);
    void notifyDataSetChanged();

private:
    std::vector<ILvDataSetObserver*> m_observers;
};

}  // namespace qv::ui
