#include <gtest/gtest.h>

#include <vector>

#include "platform/ui/controls/STabCtrl.h"
#include "tests/uictl/CtlTestEnv.h"

namespace qv::ui {
namespace {

using test::ControlTest;

class TabTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        CreateHost(R"(<tabctrl name="tabs" pos="0,0,-0,-0" tabWidth="60" tabHeight="20" curSel="1">
                        <page title="One"><window name="w1" pos="0,0,@10,@10"/></page>
                        <page title="Two"><window name="w2" pos="0,0,@10,@10"/></page>
                      </tabctrl>)");
        tabs = Find<STabCtrl>(u"tabs");
        tabs->SubscribeEvent(EVT_TAB_SELCHANGED, [this](EventArgs* e) {
            auto* t = EventCast<EventTabSelChanged>(e);
            changes.push_back({t->uOldSel, t->uNewSel});
            return true;
        });
    }
    STabCtrl* tabs = nullptr;
    std::vector<std::pair<int, int>> changes;
};

TEST_F(TabTest, PagesFromTheLayoutOneShownAtATime) {
    EXPECT_EQ(tabs->GetItemCount(), 2);
    EXPECT_EQ(tabs->GetCurSel(), 1);
    EXPECT_EQ(tabs->GetItem(0)->GetTitle(), SStringW(u"One"));
    EXPECT_FALSE(tabs->GetItem(0)->IsVisible());
    EXPECT_TRUE(tabs->GetItem(1)->IsVisible());
    m_host->UpdateWindow();
    EXPECT_EQ(tabs->GetItem(1)->GetWindowRect(), CRect(0, 20, 300, 200));
    EXPECT_EQ(m_host->FindChildByName(u"w2")->GetWindowRect(), CRect(0, 20, 10, 30));
    Click({30, 10});  // the first tab
    EXPECT_EQ(tabs->GetCurSel(), 0);
    Click({30, 10});  // again: no change, no event
    Key(VK_RIGHT);
    Key(VK_RIGHT);  // past the last: stays
    EXPECT_FALSE(tabs->SetCurSel(5));
    EXPECT_EQ(changes, (std::vector<std::pair<int, int>>{{1, 0}, {0, 1}}));
}

TEST_F(TabTest, InsertedAndRemovedPagesKeepTheCurrentOne) {
    EXPECT_EQ(tabs->InsertItem(u"<page title=\"Zero\"><window name=\"w0\"/></page>", 0), 0);
    EXPECT_EQ(tabs->GetCurSel(), 2);  // the same page, one further right
    EXPECT_EQ(tabs->GetItem(0)->GetTitle(), SStringW(u"Zero"));
    EXPECT_FALSE(tabs->GetItem(0)->IsVisible());
    EXPECT_NE(tabs->GetItem(0)->FindChildByName(u"w0"), nullptr);
    EXPECT_EQ(tabs->InsertItem(u"<page title=\"Last\"/>"), 3);
    EXPECT_EQ(tabs->InsertItem(u"<page"), -1);
    EXPECT_TRUE(changes.empty());

    EXPECT_TRUE(tabs->RemoveItem(0));  // before the current one
    EXPECT_EQ(tabs->GetCurSel(), 1);
    EXPECT_EQ(tabs->GetItem(1)->GetTitle(), SStringW(u"Two"));
    EXPECT_TRUE(changes.empty());
    EXPECT_TRUE(tabs->RemoveItem(1, 5));  // the current one: the next choice is bounded
    EXPECT_EQ(tabs->GetCurSel(), 1);
    EXPECT_EQ(tabs->GetItem(1)->GetTitle(), SStringW(u"Last"));
    EXPECT_TRUE(tabs->GetItem(1)->IsVisible());
    EXPECT_FALSE(tabs->RemoveItem(2));
    tabs->RemoveAllItems();
    EXPECT_EQ(tabs->GetItemCount(), 0);
    EXPECT_EQ(tabs->GetCurSel(), -1);
    EXPECT_EQ(changes, (std::vector<std::pair<int, int>>{{1, 1}, {1, 0}, {0, -1}}));
    // An empty tab control takes the first inserted page as current.
    EXPECT_EQ(tabs->InsertItem(u"<page title=\"New\"/>"), 0);
    EXPECT_EQ(tabs->GetCurSel(), 0);
}

}  // namespace
}  // namespace qv::ui
