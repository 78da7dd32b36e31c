#include <gtest/gtest.h>

#include "platform/ui/controls/SCheckBox.h"
#include "platform/ui/controls/SRadioBox.h"
#include "tests/uictl/CtlTestEnv.h"

namespace qv::ui {
namespace {

using test::ControlTest;
using test::EventLog;

TEST_F(ControlTest, CheckBoxClickTogglesBeforeTheCommandFires) {
    CreateHost(R"(<check name="c" pos="10,10,@100,@20" text="On"/>
                  <check name="manual" pos="10,40,@100,@20" autoCheck="0"/>)");
    auto* c = Find<SCheckBox>(u"c");
    EventLog log, states;
    log.Attach(c, EVT_CMD);
    states.Attach(c, EVT_STATECHANGED);
    Click({15, 15});
    EXPECT_TRUE(c->IsChecked());
    EXPECT_EQ(log.count, 1);
    EXPECT_TRUE(log.lastChecked);  // the handler read the new state
    Click({15, 15});
    EXPECT_FALSE(c->IsChecked());
    EXPECT_FALSE(log.lastChecked);
    MouseDown({15, 15});
    MouseUp({250, 150});  // released outside: neither toggled nor clicked
    EXPECT_FALSE(c->IsChecked());
    EXPECT_EQ(log.count, 2);
    c->SetFocus();
    Key(VK_SPACE);
    EXPECT_TRUE(c->IsChecked());
    EXPECT_EQ(log.count, 3);
    EXPECT_GE(states.count, 3);

    auto* manual = Find<SCheckBox>(u"manual");
    EventLog manualLog;
    manualLog.Attach(manual, EVT_CMD);
    Click({15, 45});
    Key(VK_SPACE);
    EXPECT_EQ(manualLog.count, 2);
    EXPECT_FALSE(manual->IsChecked());  // the page decides
}

TEST_F(ControlTest, RadioGroupsAreTheChildrenOfOneParent) {
    CreateHost(R"(<window name="g1" pos="0,0,-0,@100">
                    <radio name="a" pos="10,10,@80,@20" checked="1"/>
                    <radio name="b" pos="10,40,@80,@20" checked="1"/>
                    <radio name="c" pos="10,70,@80,@20"/>
                  </window>
                  <window name="g2" pos="0,100,-0,-0">
                    <radio name="x" pos="10,10,@80,@20" checked="1"/>
                  </window>)");
    auto* a = Find<SRadioBox>(u"a");
    auto* b = Find<SRadioBox>(u"b");
    auto* c = Find<SRadioBox>(u"c");
    auto* x = Find<SRadioBox>(u"x");
    EXPECT_FALSE(a->IsChecked());  // the later checked one in a layout wins
    EXPECT_TRUE(b->IsChecked());
    EventLog log;
    log.Attach(c, EVT_CMD);
    MouseDown({15, 75});
    MouseUp({250, 150});  // pressed, released elsewhere: nothing changes
    EXPECT_FALSE(c->IsChecked());
    EXPECT_TRUE(c->IsFocused());
    EXPECT_EQ(log.count, 0);
    Click({15, 75});
    EXPECT_EQ(log.count, 1);
    EXPECT_TRUE(log.lastChecked);
    EXPECT_TRUE(c->IsChecked());
    EXPECT_FALSE(b->IsChecked());
    EXPECT_TRUE(x->IsChecked());  // another parent, another group
    Click({15, 75});              // a click never unchecks
    EXPECT_TRUE(c->IsChecked());
    EXPECT_EQ(log.count, 2);
    a->SetCheck(true);  // by code, too
    EXPECT_FALSE(c->IsChecked());
    EXPECT_EQ(c->GetGroupChecked(), a);
    EXPECT_EQ(log.count, 2);
}

TEST_F(ControlTest, RadioTabbedIntoIsCheckedOnlyWithAutoCheck) {
    CreateHost(R"(<radio name="a" pos="10,10,@80,@20" autoCheck="0"/>
                  <window pos="0,40,-0,-0"><radio name="b" pos="10,10,@80,@20"/></window>)");
    Key(VK_TAB);
    EXPECT_TRUE(Find<SRadioBox>(u"a")->IsFocused());
    EXPECT_FALSE(Find<SRadioBox>(u"a")->IsChecked());
    Key(VK_TAB);
    EXPECT_TRUE(Find<SRadioBox>(u"b")->IsChecked());
}

}  // namespace
}  // namespace qv::ui
