#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>

#include "controls/QvRotaryKnob.h"
#include "tests/controls/PluginControlTest.h"

namespace qv::controls {
namespace {

using namespace qv::ui;
using test::PluginControlTest;
using qv::ui::test::EventLog;

constexpr COLORREF kRed = RGBA(255, 0, 0, 255);

// A point at a screen angle (degrees clockwise from +x) and radius about c.
CPoint At(CPoint c, double deg, double radius) {
    const double r = deg * std::numbers::pi / 180;
    return CPoint(static_cast<int>(std::lround(c.x + radius * std::cos(r))),
                  static_cast<int>(std::lround(c.y + radius * std::sin(r))));
}

class KnobTest : public PluginControlTest {
protected:
    void Open(const char* attrs) {
        std::string xml = std::string(R"(<qvrotaryknob name="k" pos="50,50,@100,@100" fgRadius="40" colorCircle="#FF0000" )") +
                          attrs + "/>";
        CreateHost(xml.c_str());
        knob = Find<QvRotaryKnob>(u"k");
        ASSERT_NE(knob, nullptr);
        log.Attach(knob, EVT_SLIDER_POS);
    }
    bool RedAt(double deg) {
        CPoint p = At(centre, deg, 30);
        return Pixel(p.x, p.y) == kRed;
    }
    void DragTo(double deg, double radius = 45) { MouseMove(At(centre, deg, radius)); }

    const CPoint centre{100, 100};
    QvRotaryKnob* knob = nullptr;
    EventLog log;
};

TEST_F(KnobTest, PaintsTheSectorFromTheStartOfTheRangeToTheValue) {
    Open(R"(max="100" value="50" includedAngle="70")");
    EXPECT_EQ(knob->GetCentre(), centre);
    EXPECT_DOUBLE_EQ(knob->GetStartAngle(), 125);
    EXPECT_DOUBLE_EQ(knob->GetCurrentAngle(), 145);
    Redraw();
    EXPECT_FALSE(RedAt(120));
    EXPECT_TRUE(RedAt(130));
    EXPECT_TRUE(RedAt(265));
    EXPECT_FALSE(RedAt(275));
    // Both ends: nothing at min, all but the gap at max.
    knob->SetValue(0);
    Redraw();
    EXPECT_FALSE(RedAt(130));
    EXPECT_FALSE(RedAt(200));
    knob->SetValue(100);
    Redraw();
    EXPECT_TRUE(RedAt(130));
    EXPECT_TRUE(RedAt(50));
    EXPECT_FALSE(RedAt(90));  // the gap
    EXPECT_EQ(log.count, 0);  // values set by code are not reported
}

TEST_F(KnobTest, APressInTheGapGivesMinOnTheLeftAndMaxOnTheRight) {
    Open(R"(max="100" value="50" includedAngle="70")");
    Click(At(centre, 100, 20));
    EXPECT_EQ(knob->GetValue(), 0);
    EXPECT_EQ(log.count, 1);
    EXPECT_EQ(log.lastCode, 2);
    EXPECT_EQ(log.lastPos, 0);
    Click(At(centre, 80, 20));
    EXPECT_EQ(knob->GetValue(), 100);
    EXPECT_EQ(log.lastPos, 100);
    Click({centre.x, centre.y - 30});  // straight up: the middle
    EXPECT_EQ(knob->GetValue(), 50);
    EXPECT_EQ(log.count, 3);
    EXPECT_TRUE(knob->IsFocused());
}

TEST_F(KnobTest, ARangeNotStartingAtZeroIsReachedEverywhereByDragging) {
    Open(R"(min="-90" max="0" value="-90" includedAngle="30")");
    std::set<int> seen;
    knob->SubscribeEvent(EVT_SLIDER_POS, [&](EventArgs* e) {
        seen.insert(EventCast<EventSliderPos>(e)->nPos);
        return false;
    });
    MouseDown(At(centre, 100, 40));  // the gap's min side
    for (double deg = 106; deg <= 434; deg += 0.05) DragTo(deg, 2000);
    MouseUp(At(centre, 434, 2000));
    for (int v = -90; v <= 0; ++v) EXPECT_TRUE(seen.count(v)) << v;
    EXPECT_EQ(knob->GetValue(), 0);
    knob->SetValue(-90);
    Redraw();
    EXPECT_FALSE(RedAt(110));
    EXPECT_DOUBLE_EQ(knob->GetCurrentAngle(), 0);
}

TEST_F(KnobTest, DraggingAcrossTheGapHoldsTheEndUntilThePointerComesBack) {
    Open(R"(max="100" value="50" includedAngle="70")");
    MouseDown({centre.x, centre.y - 30});
    DragTo(56);
    EXPECT_EQ(knob->GetValue(), 100);
    const int events = log.count;
    DragTo(100);  // into the min side of the gap
    DragTo(130);
    DragTo(200);
    EXPECT_EQ(knob->GetValue(), 100);
    EXPECT_EQ(log.count, events);
    DragTo(60);  // back at max
    DragTo(270);
    EXPECT_EQ(knob->GetValue(), 50);
    // The same at min, in the opposite direction.
    DragTo(126);
    EXPECT_EQ(knob->GetValue(), 0);
    DragTo(80);
    DragTo(10);
    EXPECT_EQ(knob->GetValue(), 0);
    DragTo(110);
    DragTo(180);
    EXPECT_GT(knob->GetValue(), 0);
    MouseUp({0, 0});
    // A new drag starts without a held end.
    MouseDown(At(centre, 80, 30));
    EXPECT_EQ(knob->GetValue(), 100);
    DragTo(270);
    EXPECT_EQ(knob->GetValue(), 50);
    MouseUp({0, 0});
}

TEST_F(KnobTest, KeysAndWheelStepThroughTheRangeAndReportEveryInput) {
    Open(R"(max="100" value="50")");
    knob->SetFocus();
    const struct {
        UINT vk;
        int value;
    } steps[] = {{VK_HOME, 100}, {VK_UP, 100}, {VK_END, 0},  {VK_LEFT, 0},  {VK_PRIOR, 20},
                 {VK_PRIOR, 40}, {VK_NEXT, 20}, {VK_UP, 21}, {VK_RIGHT, 22}, {VK_DOWN, 21}};
    int count = 0;
    for (const auto& s : steps) {
        Key(s.vk);
        EXPECT_EQ(knob->GetValue(), s.value) << s.vk;
        EXPECT_EQ(log.lastPos, s.value);
        EXPECT_EQ(log.count, ++count);
    }
    knob->KillFocus();
    Wheel(120, centre);
    EXPECT_TRUE(knob->IsFocused());
    EXPECT_EQ(knob->GetValue(), 22);
    Wheel(-120, centre);
    Wheel(-120, centre);
    EXPECT_EQ(knob->GetValue(), 20);
    EXPECT_EQ(log.count, count + 3);
}

TEST_F(KnobTest, TheDotFollowsTheValue) {
    Open(R"(max="100" value="0" includedAngle="70" dotRadius="30")");
    const double a = (90 - 35) * 3.14 / 180;
    EXPECT_EQ(knob->GetDotPos(), CPoint(static_cast<int>(100 - std::cos(a) * 30), static_cast<int>(100 + std::sin(a) * 30)));
    Key(VK_HOME);  // no focus: the key goes nowhere
    knob->SetFocus();
    Key(VK_HOME);
    EXPECT_EQ(knob->GetDotPos(), CPoint(static_cast<int>(100 + std::cos(a) * 30), static_cast<int>(100 + std::sin(a) * 30)));
    knob->SetValue(50);  // as the binder sets it: the top, within the rounding of 3.14
    EXPECT_NEAR(knob->GetDotPos().x, 100, 1);
    EXPECT_EQ(knob->GetDotPos().y, 70);
}

TEST_F(KnobTest, AttributesAreCheckedAndTheGeometryFollowsTheCurrentRange) {
    Open(R"(max="100" value="50")");
    EXPECT_EQ(knob->SetAttribute(u"pointertype", u"pterSlash", false), S_OK);
    EXPECT_EQ(knob->SetAttribute(u"pointertype", u"slash", false), E_FAIL);
    EXPECT_EQ(knob->GetPointerType(), 1);
    EXPECT_EQ(knob->SetAttribute(u"colorCircle", u"", false), E_FAIL);
    EXPECT_EQ(knob->SetAttribute(u"colorCircle", u"#00fdfd", false), S_FALSE);
    EXPECT_EQ(knob->SetAttribute(u"slashSkin", u"IMG:no_such_image", false), E_FAIL);
    EXPECT_EQ(knob->SetAttribute(u"includedAngle", u"nan", false), E_FAIL);
    EXPECT_EQ(knob->SetAttribute(u"includedAngle", u"400", false), S_FALSE);
    EXPECT_DOUBLE_EQ(knob->GetIncludedAngle(), 359);
    EXPECT_DOUBLE_EQ(knob->GetValuePerDegree(), 100);
    knob->SetAttribute(u"includedAngle", u"60", false);
    knob->SetRange(0, 300);  // after the last resize
    EXPECT_DOUBLE_EQ(knob->GetValuePerDegree(), 1);
    EXPECT_DOUBLE_EQ(knob->GetStartAngle(), 120);
    knob->SetRange(5, 5);  // no range: min, and no division
    EXPECT_DOUBLE_EQ(knob->GetCurrentAngle(), 0);
    EXPECT_EQ(knob->ValueAtPoint({centre.x + 10, centre.y}), 5);
    Redraw();
}

}  // namespace
}  // namespace qv::controls
