// The workspace's parameter sync against the simulated card: the full sync
// of a session, the throttled sends of a burst of changes and the card's own
// notifications.
#include <gtest/gtest.h>

#include <algorithm>

#include "families/FamilyData.h"
#include "platform/ui/controls/SSliderBar.h"
#include "plugin/pages/ParamControlBinder.h"
#include "tests/workspace/WorkSpaceRig.h"

namespace qv::test {
namespace {

constexpr int kKnobParam = 16;  // a continuous parameter of dorbII (0 .. 100)

int TripleCount(const SimCard::Frame& frame) { return frame[4]; }

void ExpectCardEqualsModel(SimCard& card, CParamModel& model) {
    const auto values = card.ParamValues();
    ASSERT_EQ(values.size(), static_cast<std::size_t>(model.GetParamCount()));
    for (int id = 0; id < model.GetParamCount(); ++id) {
        auto it = values.find(static_cast<std::uint8_t>(id));
        ASSERT_NE(it, values.end()) << id;
        EXPECT_EQ(it->second, model.GetValue(id) & 0x0FFF) << "parameter " << id;
    }
}

class WorkSpaceSyncTest : public ::testing::Test {
protected:
    void SetUp() override { rig.StartWorkspace(); }
    WorkSpaceRig rig;
};

TEST_F(WorkSpaceSyncTest, OpeningASessionSendsTheWholeSetInFiveFrames) {
    ASSERT_EQ(rig.Model().GetParamCount(), 45);
    ASSERT_EQ(rig.workspace->OpenSession(), 1);
    EXPECT_TRUE(rig.card.SessionOpen());
    const auto frames = rig.ParamFrames();
    ASSERT_EQ(frames.size(), 5u);
    const int expectedCounts[] = {11, 11, 11, 11, 1};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(TripleCount(frames[i].second), expectedCounts[i]);
        EXPECT_EQ(frames[i].second[2], i);                  // chunk index
        EXPECT_EQ(frames[i].second[38], i == 4 ? 1 : 0);    // last frame mark
    }
    ExpectCardEqualsModel(rig.card, rig.Model());

    // Arrival of the family's card in normal mode opens another session.
    rig.workspace->OnDeviceArrival(0, u"\\\\?\\hid#vid_2b53&pid_0036#7&1");
    EXPECT_EQ(rig.ParamFrames().size(), 10u);
}

TEST_F(WorkSpaceSyncTest, ABurstOfChangesIsSentAtMostOncePerInterval) {
    ASSERT_EQ(rig.workspace->OpenSession(), 1);
    const std::size_t syncFrames = rig.ParamFrames().size();
    CWorkSpaceParams& params = *rig.workspace->Params();
    const std::int32_t max = rig.Model().GetDescriptors()[kKnobParam].maximum;

    // A drag: a change every 30 ms for a second and a half, over two controls.
    for (int step = 0; step < 50; ++step) {
        params.WriteParam(8000 + kKnobParam, (step * 7) % (max + 1));
        params.WriteParam(2000 + kFirstEqBand, step % 24);
        rig.Step(30);
    }
    rig.Step(200);
    rig.Step(200);

    auto frames = rig.ParamFrames();
    frames.erase(frames.begin(), frames.begin() + static_cast<std::ptrdiff_t>(syncFrames));
    ASSERT_GE(frames.size(), 2u);
    for (std::size_t i = 1; i < frames.size(); ++i)
        EXPECT_GE(frames[i].first - frames[i - 1].first, 200u) << "flush " << i;
    // 1.5 s of dragging cannot take more than eight flushes plus the last.
    EXPECT_LE(frames.size(), 9u);
    EXPECT_TRUE(rig.Model().GetChangedParams().empty());
    ExpectCardEqualsModel(rig.card, rig.Model());
}

TEST_F(WorkSpaceSyncTest, WithoutAThrottleWindowAHeldBackChangeStillGoesOut) {
    ASSERT_EQ(rig.workspace->OpenSession(), 1);
    CWorkSpaceParams& params = *rig.workspace->Params();
    params.SetThrottleWindow(nullptr);
    rig.Step(1000);
    params.WriteParam(8000 + kKnobParam, 10);  // the interval is over: sent at once
    EXPECT_EQ(rig.card.ParamValue(kKnobParam), 10);
    rig.Step(50);
    params.WriteParam(8000 + kKnobParam, 11);  // held back
    EXPECT_EQ(rig.card.ParamValue(kKnobParam), 10);
    rig.Step(199);
    EXPECT_EQ(rig.card.ParamValue(kKnobParam), 10);
    rig.Step(1);
    EXPECT_EQ(rig.card.ParamValue(kKnobParam), 11);
}

TEST_F(WorkSpaceSyncTest, ANotificationChangesTheModelAndIsAnnouncedTwice) {
    RecordingDisplay display;
    rig.workspace->Params()->SetDisplay(&display);
    const std::size_t framesBefore = rig.ParamFrames().size();

    ASSERT_TRUE(rig.card.SendNotification({{25, 15}, {kKnobParam, 0x0FFF}}));
    ASSERT_TRUE(rig.PumpUntil([&] { return rig.paramEvents.size() >= 2; }));
    ASSERT_TRUE(rig.card.WaitForReceived(0x9F, 1, 5000));  // acknowledged

    EXPECT_EQ(rig.Model().GetValue(25), 15);
    EXPECT_EQ(rig.Model().GetValue(kKnobParam), 0x0FFF);  // kept as reported
    // First the ten bands, then the frame's pairs in frame order.
    ASSERT_EQ(rig.paramEvents.size(), 2u);
    ASSERT_EQ(rig.paramEvents[0].size(), 10u);
    EXPECT_EQ(rig.paramEvents[0][0], (std::pair<std::int32_t, std::int32_t>{25, 15}));
    EXPECT_EQ(rig.paramEvents[1],
              (std::vector<std::pair<std::int32_t, std::int32_t>>{{25, 15}, {kKnobParam, 0x0FFF}}));
    EXPECT_NE(std::find(display.shown.begin(), display.shown.end(), std::pair<int, int>{25, 15}),
              display.shown.end());
    // Nothing is echoed to the card.
    rig.Step(400);
    EXPECT_EQ(rig.ParamFrames().size(), framesBefore);
}

TEST_F(WorkSpaceSyncTest, ANotificationWithAnUnknownIdStopsThereUnannounced) {
    RecordingDisplay display;
    rig.workspace->Params()->SetDisplay(&display);
    ASSERT_TRUE(rig.card.SendNotification({{26, 4}, {200, 1}, {27, 5}}));
    ASSERT_TRUE(rig.card.WaitForReceived(0x9F, 1, 5000));
    ASSERT_TRUE(rig.PumpUntil([&] { return rig.Model().GetValue(26) == 4; }));
    rig.Pump();
    EXPECT_NE(rig.Model().GetValue(27), 5);
    EXPECT_TRUE(rig.paramEvents.empty());

}

TEST_F(WorkSpaceSyncTest, WithoutAMainWindowTheCardsChangesAreKeptUnannounced) {
    ASSERT_EQ(rig.workspace->OpenSession(), 1);
    rig.app->SetMainWnd(nullptr);
    ASSERT_TRUE(rig.card.SendNotification({{28, 9}, {kKnobParam, 77}}));
    ASSERT_TRUE(rig.card.WaitForReceived(0x9F, 1, 5000));
    EXPECT_EQ(rig.card.Acknowledgements().back()[3], 0xFF);
    ASSERT_TRUE(rig.PumpUntil([&] { return rig.Model().GetValue(kKnobParam) == 77; }));
    EXPECT_EQ(rig.Model().GetValue(28), 9);
    EXPECT_TRUE(rig.paramEvents.empty());

    // The next full sync sends the card's own values back, not older ones.
    ASSERT_EQ(rig.workspace->OpenSession(), 1);
    EXPECT_EQ(rig.card.ParamValue(28), 9);
    EXPECT_EQ(rig.card.ParamValue(kKnobParam), 77);

    // Once the session closes, what the card sends is refused, not kept.
    rig.workspace->CloseSession();
    ASSERT_TRUE(rig.card.SendNotification({{28, 3}}));
    ASSERT_TRUE(rig.card.WaitForReceived(0x9F, 2, 5000));
    EXPECT_EQ(rig.card.Acknowledgements().back()[3], 0xA0);
    rig.Step(10);
    EXPECT_EQ(rig.Model().GetValue(28), 9);
}

TEST(WorkSpaceBoundControls, ControlsAndCardMoveTogether) {
    WorkSpaceRig rig("<sliderbar id=\"2025\" pos=\"0,0,@100,@20\"/>"
                     "<edit2 id=\"6025\" pos=\"0,20,@60,@20\"/>");
    rig.StartWorkspace();
    CParamControlBinder binder(rig.workspace->Params(), &rig.mainWnd);
    rig.mainWnd.binder = &binder;
    ASSERT_TRUE(binder.BindParam(kFirstEqBand, 2025, 6025, -1));
    ASSERT_TRUE(binder.BindParam(kFirstEqBand, 6025, 2025, kBindValueBox));
    auto* slider = dynamic_cast<qv::ui::SSliderBar*>(rig.mainWnd.FindChildByID(2025));
    auto* box = rig.mainWnd.FindChildByID(6025);
    ASSERT_NE(slider, nullptr);
    ASSERT_NE(box, nullptr);

    // The card reports a band: slider and value box follow, twice announced.
    ASSERT_TRUE(rig.card.SendNotification({{kFirstEqBand, 20}, {kKnobParam, 9}}));
    ASSERT_TRUE(rig.PumpUntil([&] { return rig.paramEvents.size() >= 2; }));
    EXPECT_EQ(slider->GetValue(), 20);
    EXPECT_EQ(box->GetWindowText(), qv::ui::SStringW(u"8"));
    EXPECT_EQ(rig.paramEvents[1].size(), 2u);

    // Moving the slider reaches the card through the throttle.
    rig.Step(1000);
    qv::ui::EventSliderPos moved(slider);
    moved.nCode = 2;
    moved.nPos = 3;
    slider->FireEvent(moved);
    EXPECT_EQ(box->GetWindowText(), qv::ui::SStringW(u"-9"));
    EXPECT_EQ(rig.Model().GetValue(kFirstEqBand), 3);
    rig.Step(200);
    EXPECT_EQ(rig.card.ParamValue(kFirstEqBand), 3);
    rig.mainWnd.binder = nullptr;
}

}  // namespace
}  // namespace qv::test
