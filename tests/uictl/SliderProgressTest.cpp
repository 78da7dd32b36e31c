#include <gtest/gtest.h>

#include <climits>

#include "platform/ui/controls/SProgress.h"
#include "platform/ui/controls/SSliderBar.h"
#include "tests/uictl/CtlTestEnv.h"

namespace qv::ui {
namespace {

using test::ControlTest;
using test::EventLog;
using Range = std::pair<int, int>;

TEST(SliderGeometry, ThumbTouchesTheEndsOfTheRailAtMinAndMax) {
    auto range = [](bool inRail, int value, int part) { return SSliderBar::GetPartRange(100, 10, inRail, 0, 100, value, part); };
    EXPECT_EQ(range(false, 0, SSliderBar::kPartThumb), Range(0, 10));
    EXPECT_EQ(range(false, 100, SSliderBar::kPartThumb), Range(90, 100));
    EXPECT_EQ(range(false, 50, SSliderBar::kPartThumb), Range(45, 55));
    EXPECT_EQ(range(false, 0, SSliderBar::kPartRail), Range(5, 95));
    EXPECT_EQ(range(true, 0, SSliderBar::kPartRail), Range(0, 100));
    EXPECT_EQ(range(false, 0, SSliderBar::kPartSelect), Range(5, 5));
    EXPECT_EQ(range(false, 100, SSliderBar::kPartSelect), Range(5, 95));
    EXPECT_EQ(range(true, 100, SSliderBar::kPartSelect), Range(0, 95));
    EXPECT_EQ(range(false, 30, SSliderBar::kPartRailBack), Range(0, 100));
    // Values outside the range are drawn at its ends.
    EXPECT_EQ(range(false, -5, SSliderBar::kPartThumb), Range(0, 10));
    EXPECT_EQ(range(false, 500, SSliderBar::kPartThumb), Range(90, 100));
}

TEST(SliderGeometry, DegenerateRangesAndSizesStayInside) {
    EXPECT_EQ(SSliderBar::GetPartRange(100, 10, false, 5, 5, 5, SSliderBar::kPartThumb), Range(0, 10));
    EXPECT_EQ(SSliderBar::GetPartRange(8, 20, false, 0, 10, 10, SSliderBar::kPartThumb), Range(0, 8));
    EXPECT_EQ(SSliderBar::GetPartRange(0, 10, false, 0, 10, 10, SSliderBar::kPartThumb), Range(0, 0));
    // The whole 32-bit range without overflow.
    EXPECT_EQ(SSliderBar::GetPartRange(100, 10, false, INT_MIN, INT_MAX, INT_MAX, SSliderBar::kPartThumb), Range(90, 100));
    EXPECT_EQ(SSliderBar::GetPartRange(100, 10, false, INT_MIN, INT_MAX, INT_MIN, SSliderBar::kPartThumb), Range(0, 10));
}

TEST_F(ControlTest, ProgressKeepsItsValueInsideTheRange) {
    CreateHost(R"(<progress name="p" pos="0,0,@100,@10" value="150" max="200"/>
                  <progress name="q" pos="0,20,@100,@10" min="10" value="5"/>)");
    auto* p = Find<SProgress>(u"p");
    EXPECT_EQ(p->GetValue(), 150);  // attribute order does not matter
    EXPECT_EQ(Find<SProgress>(u"q")->GetValue(), 10);
    EXPECT_TRUE(p->SetValue(-3));
    EXPECT_EQ(p->GetValue(), 0);
    EXPECT_FALSE(p->SetValue(-4));
    p->SetRange(50, 20);  // max below min
    int min = 0, max = 0;
    p->GetRange(&min, &max);
    EXPECT_EQ(min, 50);
    EXPECT_EQ(max, 50);
    EXPECT_EQ(p->GetValue(), 50);
}

class SliderTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        AddSkin(u"thumb", 10, 20, 4);
        AddSkin(u"vthumb", 20, 10, 4);
        // A horizontal slider over x 10..110 and a vertical one over y 50..150.
        CreateHost(R"(<sliderbar name="h" pos="10,10,@100,@20" thumbSkin="thumb" max="100"/>
                      <sliderbar name="v" pos="200,50,@20,@100" thumbSkin="vthumb" vertical="1" min="-10" max="10"/>)");
        h = Find<SSliderBar>(u"h");
        v = Find<SSliderBar>(u"v");
        log.Attach(h, EVT_SLIDER_POS);
        vlog.Attach(v, EVT_SLIDER_POS);
    }
    SSliderBar* h = nullptr;
    SSliderBar* v = nullptr;
    EventLog log, vlog;
};

TEST_F(SliderTest, ClicksAtTheEndsGiveMinAndMax) {
    Click({109, 20});
    EXPECT_EQ(h->GetValue(), 100);
    EXPECT_EQ(log.count, 1);
    EXPECT_EQ(log.lastPos, 100);
    EXPECT_EQ(log.lastCode, 2);
    EXPECT_EQ(h->GetPartRect(SSliderBar::kPartThumb), CRect(100, 10, 110, 30));
    Click({10, 20});
    EXPECT_EQ(h->GetValue(), 0);
    EXPECT_EQ(h->GetPartRect(SSliderBar::kPartThumb), CRect(10, 10, 20, 30));
    Click({12, 20});  // on the thumb at min: nothing moves, nothing is reported
    EXPECT_EQ(log.count, 2);
    // Vertical: min at the bottom.
    Click({210, 149});
    EXPECT_EQ(v->GetValue(), -10);
    EXPECT_EQ(vlog.count, 1);
    EXPECT_EQ(vlog.lastPos, -10);
    Click({210, 50});
    EXPECT_EQ(v->GetValue(), 10);
    EXPECT_EQ(vlog.lastPos, 10);
    EXPECT_EQ(v->GetPartRect(SSliderBar::kPartThumb), CRect(200, 50, 220, 60));
}

TEST_F(SliderTest, DraggingTheThumbFollowsThePointerAndStopsAtTheEnds) {
    MouseDown({15, 20});  // on the thumb at 0
    EXPECT_TRUE(h->IsDragging());
    EXPECT_EQ(log.count, 0);
    MouseMove({60, 25});  // 45 of 90 pixels of travel
    EXPECT_EQ(h->GetValue(), 50);
    MouseMove({400, 25});
    EXPECT_EQ(h->GetValue(), 100);
    int reports = log.count;
    MouseMove({500, 25});  // beyond the end: unchanged, not reported
    EXPECT_EQ(log.count, reports);
    MouseMove({-300, 25});
    EXPECT_EQ(h->GetValue(), 0);
    MouseUp({-300, 25});
    EXPECT_FALSE(h->IsDragging());
    MouseMove({60, 25});
    EXPECT_EQ(h->GetValue(), 0);
}

TEST_F(SliderTest, KeysAndWheelStepAndReportOnlyChanges) {
    h->SetFocus();
    Key(VK_END);
    EXPECT_EQ(h->GetValue(), 100);
    Key(VK_RIGHT);  // at max: nothing
    Key(VK_UP);
    EXPECT_EQ(log.count, 1);
    Key(VK_NEXT);
    EXPECT_EQ(h->GetValue(), 80);
    Key(VK_LEFT);
    Key(VK_DOWN);
    EXPECT_EQ(h->GetValue(), 78);
    Key(VK_PRIOR);
    EXPECT_EQ(h->GetValue(), 98);
    Key(VK_HOME);
    EXPECT_EQ(h->GetValue(), 0);
    EXPECT_EQ(log.count, 6);
    EXPECT_EQ(log.lastPos, 0);

    EXPECT_TRUE(v->SetValue(-10));
    EXPECT_EQ(vlog.count, 0);  // set by code: not reported
    Wheel(-120, {210, 100});  // the wheel goes to the slider under the pointer
    EXPECT_TRUE(v->IsFocused());
    EXPECT_EQ(vlog.count, 0);  // already at min
    Wheel(120, {210, 100});
    Wheel(120, {210, 100});
    EXPECT_EQ(v->GetValue(), -8);
    EXPECT_EQ(vlog.count, 2);
}

}  // namespace
}  // namespace qv::ui
