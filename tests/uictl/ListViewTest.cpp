#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/ui/controls/SMCListView.h"
#include "platform/os/MessageQueue.h"
#include "tests/uictl/CtlTestEnv.h"

namespace qv::ui {
namespace {

using test::ControlTest;

class NumberAdapter : public SMcAdapterBase {
public:
    explicit NumberAdapter(int count) {
        for (int i = 0; i < count; ++i) rows.push_back(i);
    }
    int getCount() override { return static_cast<int>(rows.size()); }
    void getView(int position, SWindow* pItem, pugi::xml_node) override {
        ++views;
        pItem->FindChildByName(u"name")->SetWindowText(SStringW::Format(u"row%d", rows[static_cast<size_t>(position)]));
        pItem->FindChildByName(u"value")->SetWindowText(SStringW::Format(u"%d", rows[static_cast<size_t>(position)] * 10));
    }
    SStringW GetColumnName(int column) const override { return column == 0 ? u"name" : u"value"; }
    bool OnSort(int column, unsigned int* stFlags, int count) override {
        sorts.push_back({column, stFlags[column]});
        EXPECT_EQ(count, 2);
        if (column != 0) return false;
        std::sort(rows.begin(), rows.end(), [&](int a, int b) { return stFlags[0] == ST_UP ? a < b : a > b; });
        return true;
    }
    std::vector<int> rows;
    int views = 0;
    std::vector<std::pair<int, unsigned int>> sorts;
};

class ListViewTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        CreateHost(R"(<mclistview name="lv" pos="0,0,-0,-0" itemHeight="30" headerHeight="24">
                        <header><item text="Name" width="100"/><item text="Value" width="60"/></header>
                        <template><text name="name"/><text name="value"/><button name="btn" pos="-30,0,-0,-0"/></template>
                      </mclistview>)");
        lv = Find<SMCListView>(u"lv");
        adapter = std::make_shared<NumberAdapter>(100);
        lv->SetAdapter(adapter);
        m_host->UpdateWindow();
    }
    SStringW NameAt(int row) {
        SWindow* w = lv->GetRowWindow(row);
        return w ? w->FindChildByName(u"name")->GetWindowText() : SStringW(u"<none>");
    }
    SMCListView* lv = nullptr;
    std::shared_ptr<NumberAdapter> adapter;
};

TEST_F(ListViewTest, OnlyRowsInSightAreBuiltAndFilledIntoTheirColumns) {
    EXPECT_EQ(lv->GetColumnCount(), 2);
    EXPECT_EQ(lv->GetColumn(1).title, SStringW(u"Value"));
    // 176 pixels of rows at 30 each: seven rows, the last partly shown.
    EXPECT_EQ(adapter->views, 7);
    EXPECT_EQ(NameAt(0), SStringW(u"row0"));
    EXPECT_EQ(NameAt(7), SStringW(u"<none>"));
    SWindow* row1 = lv->GetRowWindow(1);
    EXPECT_EQ(row1->GetWindowRect(), CRect(0, 54, 290, 84));  // beside the 10-pixel bar
    EXPECT_EQ(row1->FindChildByName(u"value")->GetWindowRect(), CRect(100, 54, 160, 84));
    EXPECT_EQ(row1->FindChildByName(u"value")->GetWindowText(), SStringW(u"10"));
    EXPECT_EQ(lv->GetRowOf(row1->FindChildByName(u"value")), 1);

    Wheel(-120, {50, 100});  // three rows down
    EXPECT_EQ(lv->GetScrollTop(), 90);
    EXPECT_EQ(NameAt(3), SStringW(u"row3"));
    EXPECT_EQ(lv->GetRowWindow(3)->GetWindowRect().top, 24);
    EXPECT_EQ(NameAt(0), SStringW(u"<none>"));
    lv->EnsureVisible(99);
    EXPECT_EQ(lv->GetScrollTop(), 100 * 30 - 176);
    EXPECT_EQ(NameAt(99), SStringW(u"row99"));
}

TEST_F(ListViewTest, DataChangesRebindAndSelectionFollowsClicksAndKeys) {
    Click({50, 24 + 30 + 5});
    EXPECT_EQ(lv->GetSel(), 1);
    Key(VK_DOWN);
    EXPECT_EQ(lv->GetSel(), 2);
    Key(VK_END);
    EXPECT_EQ(lv->GetSel(), 99);
    EXPECT_EQ(NameAt(99), SStringW(u"row99"));

    adapter->rows = {7, 8};
    adapter->notifyDataSetChanged();
    EXPECT_EQ(lv->GetSel(), -1);  // the selected row is gone
    EXPECT_EQ(lv->GetScrollTop(), 0);
    EXPECT_EQ(NameAt(0), SStringW(u"row7"));
    EXPECT_EQ(NameAt(1), SStringW(u"row8"));
    EXPECT_EQ(NameAt(2), SStringW(u"<none>"));
}

TEST_F(ListViewTest, HeaderClicksSortThroughTheAdapter) {
    Click({50, 10});  // "Name": ascending first
    Click({50, 10});  // then descending
    EXPECT_EQ(NameAt(0), SStringW(u"row99"));
    EXPECT_EQ(lv->GetSortFlags(0), ST_DOWN);
    Click({130, 10});  // "Value": the adapter refuses, nothing changes
    EXPECT_EQ(lv->GetSortFlags(0), ST_DOWN);
    EXPECT_EQ(lv->GetSortFlags(1), ST_NULL);
    EXPECT_EQ(adapter->sorts, (std::vector<std::pair<int, unsigned int>>{{0, ST_UP}, {0, ST_DOWN}, {1, ST_UP}}));
}

TEST_F(ListViewTest, ControlsInsideARowGetTheirClicks) {
    SWindow* btn = lv->GetRowWindow(2)->FindChildByName(u"btn");
    ASSERT_NE(btn, nullptr);
    EXPECT_EQ(btn->GetWindowRect(), CRect(260, 84, 290, 114));
    int clicks = 0;
    btn->SubscribeEvent(EVT_CMD, [&](EventArgs*) { return ++clicks != 0; });
    Click({280, 90});
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(lv->GetSel(), 2);
    EXPECT_EQ(lv->GetRowOf(btn), 2);
}

TEST_F(ListViewTest, TheViewLetsGoOfItsAdapterWhenItGoes) {
    m_host->DestroyWindow();
    while (qv::os::PumpOneMessage()) {
    }
    adapter->notifyDataSetChanged();  // reaches no view
    EXPECT_EQ(adapter.use_count(), 1);
}

}  // namespace
}  // namespace qv::ui
