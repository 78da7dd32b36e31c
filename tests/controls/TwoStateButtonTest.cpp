#include <gtest/gtest.h>

#include "controls/QvCheckButton.h"
#include "controls/QvRadioButton.h"
#include "tests/controls/PluginControlTest.h"

namespace qv::controls {
namespace {

using namespace qv::ui;
using qv::ui::test::EventLog;

constexpr COLORREF kOff = RGBA(30, 30, 30, 255);
constexpr COLORREF kOffHover = RGBA(60, 60, 60, 255);
constexpr COLORREF kOn = RGBA(0, 120, 250, 255);
constexpr COLORREF kOnHover = RGBA(0, 150, 250, 255);
constexpr COLORREF kRed = RGBA(255, 0, 0, 255);
constexpr COLORREF kGreen = RGBA(0, 255, 0, 255);

class TwoStateButtonTest : public test::PluginControlTest {
protected:
    void SetUp() override {
        PluginControlTest::SetUp();
        // Normal, hover, pushed, disabled; then the same checked.
        AddSolidSkin(u"face", 60, 24, {kOff, kOffHover, kOff, kOff, kOn, kOnHover, kOn, kOn});
    }
};

TEST_F(TwoStateButtonTest, CaptionTipAndColourFollowTheCheckState) {
    CreateHost(R"(<qvcheckbtn name="c" pos="10,10,@60,@24" skin="face" autoCheck="1" multitext="1" text1="关" text2="开"
                              multitip="1" tip1="off" tip2="on" multicolor="1" colortext1="#FF0000" colortext2="#00FF00"/>)");
    auto* c = Find<QvCheckButton>(u"c");
    EventLog log;
    log.Attach(c, EVT_CMD);
    EXPECT_EQ(c->GetWindowText(), SStringW(u"关"));
    EXPECT_EQ(c->GetToolTipText(), SStringW(u"off"));
    EXPECT_EQ(c->GetTextColor(), kRed);
    EXPECT_EQ(c->GetDesiredSize(), CSize(60, 24));
    Click({20, 20});
    EXPECT_TRUE(c->IsChecked());
    EXPECT_EQ(log.count, 1);
    EXPECT_TRUE(log.lastChecked);  // the command sees the new state
    EXPECT_EQ(c->GetWindowText(), SStringW(u"开"));
    EXPECT_EQ(c->GetToolTipText(), SStringW(u"on"));
    EXPECT_EQ(c->GetTextColor(), kGreen);
    // The whole face is the checked frame.
    MouseMove({250, 150});
    Redraw();
    EXPECT_EQ(Pixel(11, 11), kOn);
    EXPECT_EQ(Pixel(68, 32), kOn);
    // A text for the other state is only stored.
    c->SetAttribute(u"text1", u"OFF", false);
    EXPECT_EQ(c->GetWindowText(), SStringW(u"开"));
    c->SetFocus();
    Key(VK_SPACE);
    EXPECT_FALSE(c->IsChecked());
    EXPECT_EQ(log.count, 2);
    EXPECT_EQ(c->GetWindowText(), SStringW(u"OFF"));
    Key(VK_RETURN);  // swallowed
    EXPECT_EQ(log.count, 2);
}

TEST_F(TwoStateButtonTest, WithoutTheFlagsNothingFollowsTheState) {
    CreateHost(R"(<qvcheckbtn name="c" pos="10,10,@60,@24" skin="face" text="固定" text1="a" text2="b" multicolor="0"
                              colortext1="#FF0000" colortext2="#00FF00" colorText="#0000FF"/>)");
    auto* c = Find<QvCheckButton>(u"c");
    EventLog log;
    log.Attach(c, EVT_CMD);
    // Without autoCheck a click and Space only fire the command.
    Click({20, 20});
    c->SetFocus();
    Key(VK_SPACE);
    EXPECT_EQ(log.count, 2);
    EXPECT_FALSE(c->IsChecked());
    c->SetCheck(true);  // the page sets the state
    EXPECT_EQ(c->GetTextColor(), RGBA(0, 0, 255, 255));
    EXPECT_EQ(c->GetWindowText(), SStringW(u"固定"));
    EXPECT_EQ(c->SetAttribute(u"colortext2", u"", false), E_FAIL);
}

TEST_F(TwoStateButtonTest, RadioCheckedByTheKeyboardFocusFiresTheCommand) {
    CreateHost(R"(<window pos="0,0,@300,@40">
                    <qvradiobtn name="a" pos="0,0,@60,@24" skin="face" autoCheck="1" checked="1" multitext="1" text1="A" text2="A*"/>
                    <qvradiobtn name="b" pos="70,0,@60,@24" skin="face" autoCheck="1" multitext="1" text1="B" text2="B*"/>
                  </window>
                  <window pos="0,50,@300,@40">
                    <qvradiobtn name="c" pos="0,0,@60,@24" skin="face" checked="1"/>
                    <qvradiobtn name="d" pos="70,0,@60,@24" skin="face"/>
                  </window>)");
    auto* a = Find<QvRadioButton>(u"a");
    auto* b = Find<QvRadioButton>(u"b");
    auto* d = Find<QvRadioButton>(u"d");
    EventLog logB, logD;
    logB.Attach(b, EVT_CMD);
    logD.Attach(d, EVT_CMD);
    EXPECT_EQ(a->GetWindowText(), SStringW(u"A*"));
    a->SetFocus();
    Key(VK_TAB);  // into b
    EXPECT_TRUE(b->IsChecked());
    EXPECT_FALSE(a->IsChecked());
    EXPECT_EQ(logB.count, 1);
    EXPECT_TRUE(logB.lastChecked);
    EXPECT_EQ(a->GetWindowText(), SStringW(u"A"));
    EXPECT_EQ(b->GetWindowText(), SStringW(u"B*"));
    // A click on the checked one fires again and keeps it checked.
    Click({80, 10});
    EXPECT_TRUE(b->IsChecked());
    EXPECT_EQ(logB.count, 2);
    // Without autoCheck the focus checks nothing.
    Key(VK_TAB);
    Key(VK_TAB);
    EXPECT_TRUE(d->IsFocused());
    EXPECT_FALSE(d->IsChecked());
    EXPECT_EQ(logD.count, 0);
}

}  // namespace
}  // namespace qv::controls
