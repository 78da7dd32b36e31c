// The binder's knob kind with a real knob, against the simulated card: the
// range at attach, a drag written to the card, the card's value shown.
#include <gtest/gtest.h>

#include "controls/QvRotaryKnob.h"
#include "families/FamilyData.h"
#include "plugin/pages/ParamControlBinder.h"
#include "tests/workspace/WorkSpaceRig.h"

namespace qv::test {
namespace {

constexpr int kVolume = 16;  // continuous, 0 .. 100, scale 1

class KnobBindingTest : public ::testing::Test {
protected:
    void SetUp() override {
        rig.StartWorkspace();
        ASSERT_EQ(rig.workspace->OpenSession(), 1);
        binder = std::make_unique<CParamControlBinder>(rig.workspace->Params(), &rig.mainWnd);
        rig.mainWnd.binder = binder.get();
        ASSERT_TRUE(binder->BindParam(kVolume, 8000 + kVolume, 6000 + kVolume, -1));
        ASSERT_TRUE(binder->BindParam(kVolume, 6000 + kVolume, 8000 + kVolume, kBindValueBox));
        knob = dynamic_cast<qv::controls::QvRotaryKnob*>(rig.mainWnd.FindChildByID(8000 + kVolume));
        ASSERT_NE(knob, nullptr);
    }
    void TearDown() override {
        rig.mainWnd.binder = nullptr;
        binder.reset();
    }
    std::u16string Box() { return rig.mainWnd.FindChildByID(6000 + kVolume)->GetWindowText().str(); }
    void Send(UINT msg, WPARAM flags, qv::ui::CPoint pt) { rig.mainWnd.SendMessage(msg, flags, MAKELPARAM(pt.x, pt.y)); }

    // The knob's centre is (70, 70); the gap is at the bottom.
    WorkSpaceRig rig{R"(<qvrotaryknob id="8016" pos="20,20,@100,@100" includedAngle="70" dotRadius="30" fgRadius="40"/>
                        <edit2 id="6016" pos="20,130,@60,@20"/>)"};
    std::unique_ptr<CParamControlBinder> binder;
    qv::controls::QvRotaryKnob* knob = nullptr;
};

TEST_F(KnobBindingTest, TheKnobTakesTheRangeAndWritesItsDragToTheCard) {
    const ParamDescriptor& d = rig.Model().GetDescriptors()[kVolume];
    EXPECT_EQ(knob->GetMin(), d.minimum);
    EXPECT_EQ(knob->GetMax(), d.maximum);
    EXPECT_EQ(knob->GetValue(), d.defaultValue);
    // A drag from the gap's left side, over the top, into its right side.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, {65, 100});
    EXPECT_EQ(rig.Model().GetValue(kVolume), d.minimum);
    Send(WM_MOUSEMOVE, MK_LBUTTON, {70, 20});
    EXPECT_EQ(knob->GetValue(), (d.minimum + d.maximum) / 2);
    EXPECT_EQ(rig.Model().GetValue(kVolume), knob->GetValue());
    EXPECT_EQ(Box(), qv::ui::SStringW::Format(u"%d", knob->GetValue()).str());
    Send(WM_MOUSEMOVE, MK_LBUTTON, {110, 60});
    Send(WM_MOUSEMOVE, MK_LBUTTON, {75, 100});
    Send(WM_LBUTTONUP, 0, {75, 100});
    EXPECT_EQ(rig.Model().GetValue(kVolume), d.maximum);
    EXPECT_EQ(Box(), u"100");
    rig.Step(200);
    rig.Step(200);
    ASSERT_TRUE(rig.PumpUntil([&] { return rig.card.ParamValues().count(kVolume) != 0; }));
    EXPECT_EQ(rig.card.ParamValues().at(kVolume), d.maximum);
}

TEST_F(KnobBindingTest, ACardValueMovesTheKnobAndItsDot) {
    const qv::ui::CPoint dotBefore = knob->GetDotPos();
    ASSERT_TRUE(rig.card.SendNotification({{kVolume, 25}}));
    ASSERT_TRUE(rig.PumpUntil([&] { return rig.Model().GetValue(kVolume) == 25; }));
    EXPECT_EQ(knob->GetValue(), 25);
    EXPECT_EQ(Box(), u"25");
    // A quarter of the way: left of the centre, a little above it.
    const qv::ui::CPoint dot = knob->GetDotPos();
    EXPECT_NE(dot, dotBefore);
    EXPECT_LT(dot.x, 70 - 25);
    EXPECT_LT(dot.y, 70);
    // Nothing goes back to the card.
    const std::size_t frames = rig.ParamFrames().size();
    rig.Step(400);
    EXPECT_EQ(rig.ParamFrames().size(), frames);
}

}  // namespace
}  // namespace qv::test
