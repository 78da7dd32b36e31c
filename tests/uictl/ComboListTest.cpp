#include <gtest/gtest.h>

#include <algorithm>

#include "platform/ui/SRenderTarget.h"
#include "platform/ui/controls/SComboBox.h"
#include "platform/ui/controls/SEdit.h"
#include "platform/ui/controls/SListBox.h"
#include "tests/uictl/CtlTestEnv.h"

namespace qv::ui {
namespace {

using test::ControlTest;
using test::EventLog;

class ComboTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        m_host_rect = CRect(100, 100, 400, 300);
        CreateHost(R"(<combobox name="cb" pos="10,10,@150,@24" dropDown="1" curSel="1">
                        <liststyle itemHeight="20"/>
                        <items><item text="Low" data="10"/><item text="Mid" data="20"/><item text="High" data="30"/></items>
                      </combobox>
                      <combobox name="ed" pos="10,60,@150,@24"/>)");
        m_host->SetWindowPos(m_host_rect);
        cb = Find<SComboBox>(u"cb");
        log.Attach(cb, EVT_CB_SELCHANGE);
    }
    // Clicks an item of the open list through its drop-down window.
    void ClickItem(int index) {
        SDropDownWnd* drop = dynamic_cast<SDropDownWnd*>(cb->GetListBox()->GetContainer());
        ASSERT_NE(drop, nullptr);
        CPoint pt = cb->GetListBox()->GetItemRect(index).CenterPoint();
        drop->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        drop->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    }
    CRect m_host_rect;
    SComboBox* cb = nullptr;
    EventLog log;
};

TEST_F(ComboTest, ItemsFromTheLayoutAndTheStartingChoice) {
    EXPECT_EQ(cb->GetCount(), 3);
    EXPECT_EQ(cb->GetCurSel(), 1);
    EXPECT_EQ(cb->GetWindowText(), SStringW(u"Mid"));
    EXPECT_EQ(cb->GetItemData(2), 30);
    EXPECT_EQ(cb->GetListBox()->GetID(), SComboBox::kListId);
    EXPECT_EQ(cb->GetListBox()->GetItemHeight(), 20);
    EXPECT_EQ(cb->GetEdit(), nullptr);
    EXPECT_TRUE(cb->SetCurSel(-1));
    EXPECT_TRUE(cb->GetWindowText().IsEmpty());
    EXPECT_FALSE(cb->SetCurSel(3));
    EXPECT_EQ(log.count, 0);  // choices by code are not reported
}

TEST_F(ComboTest, ChoosingInTheDropDownClosesItThenReportsTheChoice) {
    bool openDuringEvent = true;
    cb->SubscribeEvent(EVT_CB_SELCHANGE, [&](EventArgs*) {
        openDuringEvent = cb->IsDropped();
        return false;
    });
    Click({20, 20});
    ASSERT_TRUE(cb->IsDropped());
    auto* drop = dynamic_cast<SDropDownWnd*>(cb->GetListBox()->GetContainer());
    ASSERT_NE(drop, nullptr);
    // Below the combo, as wide as it, tall enough for three rows and a border.
    EXPECT_EQ(drop->GetScreenRect(), CRect(110, 134, 260, 134 + 3 * 20 + 4));
    ClickItem(2);
    EXPECT_FALSE(cb->IsDropped());
    EXPECT_EQ(cb->GetCurSel(), 2);
    EXPECT_EQ(cb->GetWindowText(), SStringW(u"High"));
    EXPECT_EQ(log.count, 1);
    EXPECT_EQ(log.lastSel, 2);
    EXPECT_FALSE(openDuringEvent);
    // The same item again: closed, nothing reported.
    Click({20, 20});
    ClickItem(2);
    EXPECT_EQ(log.count, 1);
    // A click on the combo closes an open list without a choice.
    Click({20, 20});
    Click({20, 20});
    EXPECT_FALSE(cb->IsDropped());
    EXPECT_EQ(log.count, 1);
}

TEST_F(ComboTest, KeysAndWheelChooseWhileClosedAndSteerTheOpenList) {
    cb->SetFocus();
    Key(VK_DOWN);
    EXPECT_EQ(cb->GetCurSel(), 2);
    Key(VK_DOWN);  // at the end: nothing
    EXPECT_EQ(log.count, 1);
    Wheel(120, {20, 20});
    EXPECT_EQ(cb->GetCurSel(), 1);
    EXPECT_EQ(log.count, 2);
    Key(0x73);  // F4 opens
    ASSERT_TRUE(cb->IsDropped());
    Key(VK_UP);
    EXPECT_EQ(log.count, 2);  // moving in the open list is not a choice yet
    Key(VK_RETURN);
    EXPECT_FALSE(cb->IsDropped());
    EXPECT_EQ(cb->GetCurSel(), 0);
    EXPECT_EQ(log.lastSel, 0);
    EXPECT_EQ(log.count, 3);
    Key(0x73);
    Key(VK_DOWN);
    Key(VK_ESCAPE);  // cancels
    EXPECT_FALSE(cb->IsDropped());
    EXPECT_EQ(cb->GetCurSel(), 0);
}

TEST_F(ComboTest, EditableComboShowsTheChoiceInItsEdit) {
    auto* ed = Find<SComboBox>(u"ed");
    ASSERT_NE(ed->GetEdit(), nullptr);
    EXPECT_EQ(ed->GetEdit()->GetID(), SComboBox::kEditId);
    ed->AddString(u"one");
    ed->AddString(u"two");
    EXPECT_EQ(ed->GetCurSel(), -1);
    ed->SetCurSel(1);
    EXPECT_EQ(ed->GetEdit()->GetWindowText(), SStringW(u"two"));
    // The edit leaves room for the drop button.
    EXPECT_EQ(ed->GetEdit()->GetWindowRect().right, ed->GetDropButtonRect().left);
    ed->ResetContent();
    EXPECT_EQ(ed->GetCount(), 0);
    EXPECT_TRUE(ed->GetWindowText().IsEmpty());
    Click(ed->GetDropButtonRect().CenterPoint());
    EXPECT_FALSE(ed->IsDropped());  // nothing to show
}

TEST_F(ControlTest, ListBoxKeepsItsSelectionThroughInsertsAndDeletes) {
    CreateHost(R"(<listbox name="l" pos="0,0,@100,@40" itemHeight="20"/>)");
    auto* list = Find<SListBox>(u"l");
    for (const char16_t* t : {u"a", u"b", u"c", u"d"}) list->AddString(t);
    list->SetCurSel(2);
    list->InsertString(0, u"z");
    EXPECT_EQ(list->GetCurSel(), 3);
    EXPECT_EQ(list->GetText(3), SStringW(u"c"));
    list->DeleteString(0);
    EXPECT_EQ(list->GetCurSel(), 2);
    list->SetCurSel(3);  // scrolled into view: two rows show
    EXPECT_EQ(list->GetScrollTop(), 40);
    EXPECT_EQ(list->HitTest({5, 25}), 3);
    list->DeleteString(3);
    EXPECT_EQ(list->GetCurSel(), -1);
    EXPECT_EQ(list->GetScrollTop(), 20);  // no blank space below the last row
}

// Without a choice a drop-down combo shows its cue, dimmer than a chosen
// item's text.
TEST_F(ControlTest, ADropDownComboWithoutAChoiceShowsItsCue) {
    CreateHost(R"(<combobox name="cb" pos="0,0,@150,@24" dropDown="1" cueText="Choose one" colorText="#E6E8EE">
                    <items><item text="Chosen"/></items>
                  </combobox>)");
    auto* cb = Find<SComboBox>(u"cb");
    EXPECT_EQ(cb->GetCueText(), SStringW(u"Choose one"));
    // The brightest blue of the text area (left of the drop button).
    auto brightest = [&] {
        m_host->Invalidate();
        m_host->UpdateWindow();
        int most = 0;
        for (int x = 0; x < 110; ++x)
            for (int y = 0; y < 24; ++y) most = std::max(most, int(GetBValue(m_host->GetRenderTarget()->GetPixel(x, y))));
        return most;
    };
    const int cue = brightest();
    EXPECT_GT(cue, 0x60);
    EXPECT_LE(cue, 0xAE);  // the secondary text colour at most
    ASSERT_TRUE(cb->SetCurSel(0));
    EXPECT_GT(brightest(), 0xD0);
    ASSERT_TRUE(cb->SetCurSel(-1));
    EXPECT_EQ(brightest(), cue);
}

}  // namespace
}  // namespace qv::ui
