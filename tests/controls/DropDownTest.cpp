#include <gtest/gtest.h>

#include "controls/PluginControls.h"
#include "controls/QvComboBox.h"
#include "controls/QvComboBtn.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/headless/HeadlessDisplay.h"
#include "platform/ui/controls/ControlLook.h"
#include "platform/ui/controls/SEdit.h"
#include "tests/controls/PluginControlTest.h"
#include "tests/support/GeometryPrinters.h"
#include "tests/ui/UiTestEnv.h"

namespace qv::controls {
namespace {

using namespace qv::ui;

constexpr COLORREF kFrames[] = {RGBA(200, 0, 0, 255), RGBA(0, 200, 0, 255), RGBA(0, 0, 200, 255),
                                RGBA(200, 200, 0, 255)};

class DropDownTest : public test::PluginControlTest {
protected:
    void SetUp() override {
        qv::os::SetClock(&m_clock);
        PluginControlTest::SetUp();
        m_app->GetWindowFactory().RegisterClass<QvComboBox>();
        AddSolidSkin(u"skin_test_drop", 20, 24, {kFrames[0], kFrames[1], kFrames[2], kFrames[3]});
    }
    void TearDown() override {
        PluginControlTest::TearDown();
        Display().SetDisplays({});
        qv::os::SetClock(nullptr);
    }
    HeadlessDisplay& Display() { return static_cast<HeadlessDisplay&>(GetDisplayBackend()); }
    void Step(int ms) {
        for (int t = 0; t < ms; t += 10) {
            m_clock.Step(10);
            qv::ui::test::PumpPending();
        }
    }
    // A combo button at (10,10)-(90,34) of a 300 x 200 host at the screen point.
    QvComboBtn* CreateButton(CPoint at, const char* dropAttrs, int animateTime = 0) {
        const std::string xml = "<qvcombobtn name=\"btn\" pos=\"10,10,@80,@24\" text=\"Open\" animateTime=\"" +
                                std::to_string(animateTime) + "\"><dropdown " + dropAttrs +
                                " colorBkgnd=\"#2A2C33\"><text name=\"dd_item\" pos=\"4,4\" text=\"item\"/></dropdown>"
                                "</qvcombobtn>";
        CreateHostSized(xml.c_str(), 300, 200);
        m_host->SetWindowPos(CRect(at, CSize(300, 200)));
        return Find<QvComboBtn>(u"btn");
    }

    qv::ui::test::SteppedClock m_clock;
};

TEST_F(DropDownTest, OnlyTheComboButtonIsAmongThePluginsControls) {
    SWindowFactory factory;
    SSkinFactory skins;
    RegisterPluginControls(factory, skins);
    EXPECT_TRUE(factory.IsRegistered(u"qvcombobtn"));
    EXPECT_FALSE(factory.IsRegistered(u"qvcombobox"));
}

TEST_F(DropDownTest, ComboBoxBuildsItsListAndSelectionFromTheLayout) {
    CreateHost(R"(
      <qvcombobox name="sel" pos="10,10,@150,@24" dropDown="1" btnSkin="skin_test_drop" curSel="1">
        <liststyle itemHeight="20"/>
        <items><item text="one"/><item text="two" icon="2" data="7"/><item text="three"/></items>
      </qvcombobox>
      <qvcombobox name="out" pos="10,50,@150,@24" dropDown="1" btnSkin="skin_test_drop" curSel="3">
        <items><item text="one"/><item text="two"/><item text="three"/></items>
      </qvcombobox>
      <qvcombobox name="edit" pos="10,90,@150,@24" btnSkin="skin_test_drop" curSel="0">
        <items><item text="one"/></items>
      </qvcombobox>)");
    auto* sel = Find<QvComboBox>(u"sel");
    ASSERT_EQ(sel->GetCount(), 3);
    EXPECT_EQ(sel->GetLBText(0), SStringW(u"one"));
    EXPECT_EQ(sel->GetItemData(0), 0);
    EXPECT_EQ(sel->GetItemData(1), 7);
    EXPECT_EQ(sel->GetListBox()->GetID(), -200);
    EXPECT_EQ(sel->GetListBox()->GetOwner(), sel);
    EXPECT_EQ(sel->GetListBox()->GetItemHeight(), 20);
    EXPECT_EQ(sel->GetCurSel(), 1);
    EXPECT_EQ(sel->GetWindowText(), SStringW(u"two"));
    EXPECT_EQ(Find<QvComboBox>(u"out")->GetCurSel(), -1);
    EXPECT_TRUE(Find<QvComboBox>(u"out")->GetWindowText().IsEmpty());
    auto* edit = Find<QvComboBox>(u"edit");
    ASSERT_NE(edit->GetEdit(), nullptr);
    EXPECT_EQ(edit->GetEdit()->GetWindowText(), SStringW(u"one"));

    // The face shows the selection's text; none when nothing is selected,
    // and none under the edit box but the edit's own.
    auto inkIn = [this](const CRect& rc) {
        int ink = 0;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x) ink += Pixel(x, y) != look::kPanel;
        return ink;
    };
    Redraw();
    EXPECT_GT(inkIn(CRect(12, 12, 130, 32)), 10);
    EXPECT_EQ(inkIn(CRect(12, 52, 130, 72)), 0);
    edit->GetEdit()->SetVisible(false);
    Redraw();
    EXPECT_EQ(inkIn(CRect(12, 92, 130, 112)), 0);
}

TEST_F(DropDownTest, ComboBoxDrawsTheDropButtonFrameOfItsState) {
    CreateHost(R"(
      <qvcombobox name="sel" pos="10,10,@150,@24" dropDown="1" btnSkin="skin_test_drop">
        <items><item text="one"/><item text="two"/></items>
      </qvcombobox>)");
    auto* combo = Find<QvComboBox>(u"sel");
    const CPoint button = combo->GetDropButtonRect().CenterPoint();
    auto frame = [&] {
        Redraw();
        return Pixel(button.x, button.y);
    };
    EXPECT_EQ(frame(), kFrames[0]);
    m_host->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(button.x, button.y));
    EXPECT_EQ(frame(), kFrames[1]);
    Click(button);
    ASSERT_TRUE(combo->IsDropped());
    EXPECT_EQ(frame(), kFrames[2]);
    combo->CloseUp();
    combo->EnableWindow(false);
    EXPECT_EQ(frame(), kFrames[3]);
}

// The display the host is on decides: the popup goes above the button only
// when it would pass that display's bottom and fits above.
TEST_F(DropDownTest, ComboButtonOpensBelowOrAboveOnItsDisplay) {
    Display().SetDisplays({{CRect(0, 0, 800, 600), CRect(0, 0, 800, 560)},
                           {CRect(800, 0, 1600, 1200), CRect(800, 0, 1600, 1160)}});
    struct Case {
        CPoint host;
        const char* drop;
        CRect open;
        bool upward;
    } cases[] = {
        {{100, 100}, R"(height="120")", {110, 134, 190, 254}, false},
        {{100, 450}, R"(height="120")", {110, 340, 190, 460}, true},           // would pass 600
        {{100, 450}, R"(width="200" height="500")", {110, 484, 310, 984}, false},  // fits neither way
        {{900, 450}, R"(height="120")", {910, 484, 990, 604}, false},          // the taller display
    };
    for (const Case& c : cases) {
        QvComboBtn* btn = CreateButton(c.host, c.drop);
        Click(CPoint(50, 20));
        ASSERT_TRUE(btn->IsDropped());
        EXPECT_EQ(btn->OpensUpward(), c.upward);
        EXPECT_EQ(btn->GetDropDown()->GetScreenRect(), c.open);
        EXPECT_NE(btn->GetDropDown()->FindChildByName(u"dd_item"), nullptr);
        // The button's end ends its drop-down.
        const HWND drop = btn->GetDropDown()->GetHwnd();
        m_host->DestroyWindow();
        EXPECT_EQ(m_app->FindHostWnd(drop), nullptr);
    }
}

TEST_F(DropDownTest, ComboButtonSlidesOpenOverItsAnimateTime) {
    QvComboBtn* btn = CreateButton(CPoint(100, 100), R"(height="120")", 0);
    Click(CPoint(50, 20));
    EXPECT_EQ(btn->GetDropDown()->GetScreenRect(), CRect(110, 134, 190, 254));
    btn->EndDropDown();

    ASSERT_EQ(btn->SetAttribute(u"animateTime", u"200", false), S_FALSE);
    Click(CPoint(50, 20));
    EXPECT_EQ(btn->GetDropDown()->GetScreenRect(), CRect(110, 134, 190, 135));
    Step(100);
    EXPECT_EQ(btn->GetDropDown()->GetScreenRect(), CRect(110, 134, 190, 194));
    Step(100);
    EXPECT_EQ(btn->GetDropDown()->GetScreenRect(), CRect(110, 134, 190, 254));
    btn->EndDropDown();

    // Upwards the bottom edge stays on the button.
    m_host->SetWindowPos(CRect(100, 960, 400, 1160));
    Click(CPoint(50, 20));
    ASSERT_TRUE(btn->OpensUpward());
    Step(100);
    EXPECT_EQ(btn->GetDropDown()->GetScreenRect(), CRect(110, 910, 190, 970));
    // Ended while sliding: the slide stops with it.
    btn->EndDropDown();
    Step(200);
    EXPECT_FALSE(btn->IsDropped());
}

TEST_F(DropDownTest, ComboButtonClosesAndOpensAgainAnyWay) {
    QvComboBtn* btn = CreateButton(CPoint(100, 100), R"(height="60")", 50);
    for (int i = 0; i < 20; ++i) {
        Click(CPoint(50, 20));
        ASSERT_TRUE(btn->IsDropped()) << i;
        SDropDownWnd* drop = btn->GetDropDown();
        Step(i % 3 * 20);  // sometimes mid-slide
        switch (i % 4) {
        case 0: btn->EndDropDown(); break;
        case 1: drop->SendMessage(WM_KEYDOWN, VK_ESCAPE, 0); break;
        case 2: Click(CPoint(200, 150)); break;  // elsewhere in the host
        case 3: Click(CPoint(50, 20)); break;    // the button again: closes, does not reopen
        }
        EXPECT_FALSE(btn->IsDropped()) << i;
        EXPECT_EQ(btn->GetDropDown(), nullptr);
        Step(20);
    }
}

}  // namespace
}  // namespace qv::controls
