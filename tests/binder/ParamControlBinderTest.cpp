// The parameter-control binder over the standard controls and the value
// edit box: values shown by kind and scale, control events written back,
// linked controls kept in step.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "controls/SEdit2.h"
#include "families/FamilyData.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SHostWnd.h"
#include "platform/ui/controls/SCheckBox.h"
#include "platform/ui/controls/SSliderBar.h"
#include "platform/ui/controls/StandardControls.h"
#include "plugin/pages/ParamControlBinder.h"
#include "plugin/workspace/WorkSpace.h"
#include "plugin/workspace/WorkSpaceParams.h"
#include "tests/support/FakeDeviceMgmt.h"

namespace {

using qv::controls::EventEditValueChanging;
using qv::controls::SEdit2;
using qv::ui::SStringW;

// dorbII parameters of each kind.
constexpr int kNoise = 9;       // continuous, shown as raw - 90
constexpr int kMute = 5;        // on/off, off by default
constexpr int kSwitch = 10;     // on/off, on by default
constexpr int kVolume = 16;     // continuous, scale 1
constexpr int kChoice = 19;     // options 0 .. 11
constexpr int kDelay = 20;      // continuous, scale 100
constexpr int kBand = 25;       // equaliser band, shown as raw - 12

// A switch that reports every change of its state, also one made by code,
// as some controls do: the binder must not take its own changes for the
// user's.
class EchoingCheck : public qv::ui::SCheckBox {
protected:
    void OnStateChanged(DWORD oldState, DWORD newState) override {
        SCheckBox::OnStateChanged(oldState, newState);
        if ((oldState ^ newState) & qv::ui::WndState_Check) FireCommand();
    }
};

class BinderHost : public qv::ui::SHostWnd {
public:
    CParamControlBinder* binder = nullptr;
    BOOL _HandleEvent(qv::ui::EventArgs* e) override { return binder && binder->OnEvent(e); }
};

class ParamControlBinderTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<qv::ui::SApplication>(nullptr);
        qv::ui::RegisterStandardControls(app->GetWindowFactory());
        qv::controls::RegisterEdit2(app->GetWindowFactory());
        app->GetWindowFactory().Register(u"echocheck", [] { return new EchoingCheck(); });
        ASSERT_NE(host.CreateFromXml(
                      u"<SOUI size=\"400,300\"><root>"
                      u"<sliderbar id=\"8009\" pos=\"0,0,@100,@20\"/><edit2 id=\"6009\" pos=\"0,20,@60,@20\"/>"
                      u"<check id=\"7010\" pos=\"0,40,@20,@20\"/>"
                      u"<echocheck id=\"7005\" pos=\"20,40,@20,@20\"/>"
                      u"<sliderbar id=\"8016\" pos=\"0,60,@100,@20\"/><edit2 id=\"6016\" pos=\"0,80,@60,@20\"/>"
                      u"<radio id=\"600019\" pos=\"0,100,@40,@20\"/><radio id=\"605019\" pos=\"40,100,@40,@20\"/>"
                      u"<edit2 id=\"6020\" pos=\"0,120,@60,@20\"/>"
                      u"<sliderbar id=\"2025\" pos=\"0,140,@100,@20\"/><edit2 id=\"6025\" pos=\"0,160,@60,@20\"/>"
                      u"</root></SOUI>"),
                  nullptr);
        params = &workspace.AttachParamModel(DorbIIFamily(), nullptr);
        noiseAtStart = Value(kNoise);
        binder = std::make_unique<CParamControlBinder>(params, &host);
        host.binder = binder.get();
        // Knobs and band sliders with their value boxes, bound both ways.
        for (int id : {kNoise, kVolume}) {
            ASSERT_TRUE(binder->BindParam(id, 8000 + id, 6000 + id, -1));
            ASSERT_TRUE(binder->BindParam(id, 6000 + id, 8000 + id, kBindValueBox));
        }
        ASSERT_TRUE(binder->BindParam(kBand, 2000 + kBand, 6000 + kBand, -1));
        ASSERT_TRUE(binder->BindParam(kBand, 6000 + kBand, 2000 + kBand, kBindValueBox));
        ASSERT_TRUE(binder->BindParam(kDelay, 6000 + kDelay, 0, kBindValueBox));
        ASSERT_TRUE(binder->BindParam(kSwitch, 7000 + kSwitch, 0, -1));
        ASSERT_TRUE(binder->BindParam(kMute, 7000 + kMute, 0, -1));
        ASSERT_TRUE(binder->BindParam(kChoice, 600000 + kChoice, 0, -1));
        ASSERT_TRUE(binder->BindParam(kChoice, 605000 + kChoice, 0, -1));
    }
    void TearDown() override {
        host.binder = nullptr;
        binder.reset();
        host.DestroyWindow();
        while (qv::os::PumpOneMessage()) {
        }
        app.reset();
        qv::os::DestroyThreadQueue();
    }

    template <class T>
    T* Control(int id) {
        return dynamic_cast<T*>(host.FindChildByID(id));
    }
    std::u16string Text(int id) { return host.FindChildByID(id)->GetWindowText().str(); }
    // Types a text into a value box and commits it as the edit does (8101).
    void Commit(int id, const char16_t* text) {
        auto* edit = host.FindChildByID(id);
        edit->SetWindowText(text);
        qv::ui::EventRENotify e(edit);
        e.iNotify = qv::ui::EN_CHANGE;
        edit->FireEvent(e);
    }
    void Step(int id, int step) {
        auto* edit = host.FindChildByID(id);
        EventEditValueChanging e(edit);
        e.nStep = step;
        edit->FireEvent(e);
    }
    int Value(int id) { return params->Model().GetValue(id); }

    std::unique_ptr<qv::ui::SApplication> app;
    BinderHost host;
    qv::test::FakeDeviceMgmt manager;
    CWorkSpace workspace{&manager, 0x0036};
    CWorkSpaceParams* params = nullptr;
    std::unique_ptr<CParamControlBinder> binder;
    int noiseAtStart = 0;
};

TEST_F(ParamControlBinderTest, BindingShowsTheInitialValueByKind) {
    auto* knob = Control<qv::ui::SSliderBar>(8000 + kNoise);
    EXPECT_EQ(knob->GetMin(), 0);
    EXPECT_EQ(knob->GetMax(), 90);
    EXPECT_EQ(knob->GetValue(), 80);
    EXPECT_EQ(Text(6000 + kNoise), u"-10");  // 80 - 90
    EXPECT_EQ(Text(6000 + kBand), u"0");     // 12 - 12
    EXPECT_EQ(Text(6000 + kDelay), u"1500");  // 15 x 100
    EXPECT_TRUE(host.FindChildByID(7000 + kSwitch)->IsChecked());
    EXPECT_TRUE(host.FindChildByID(600000 + kChoice)->IsChecked());
    EXPECT_FALSE(host.FindChildByID(605000 + kChoice)->IsChecked());
    // Showing values changes no parameter: the current effect's value stays.
    EXPECT_EQ(Value(kNoise), noiseAtStart);
    EXPECT_TRUE(params->Model().GetChangedParams().empty());
}

TEST_F(ParamControlBinderTest, BadIndexesAreRefused) {
    EXPECT_FALSE(binder->BindParam(45, 8045, 0, -1));
    EXPECT_FALSE(binder->BindParam(-1, 8000, 0, -1));
    EXPECT_EQ(binder->FindBinding(8045), nullptr);
    CParamControlBinder unlinked(nullptr, &host);
    EXPECT_FALSE(unlinked.BindParam(kVolume, 8016, 0, -1));
}

TEST_F(ParamControlBinderTest, ValueBoxesParseClampAndMoveTheirKnob) {
    Commit(6000 + kNoise, u"100");
    EXPECT_EQ(Value(kNoise), 90);  // clamped to the range
    EXPECT_EQ(Text(6000 + kNoise), u"0");
    EXPECT_EQ(Control<qv::ui::SSliderBar>(8000 + kNoise)->GetValue(), 90);
    Commit(6000 + kNoise, u"-45");
    EXPECT_EQ(Value(kNoise), 45);
    EXPECT_EQ(Text(6000 + kNoise), u"-45");
    Commit(6000 + kNoise, u"abc");  // no number reads as 0
    EXPECT_EQ(Value(kNoise), 90);

    // The band's value box moves its slider.
    Commit(6000 + kBand, u"5");
    EXPECT_EQ(Value(kBand), 17);
    EXPECT_EQ(Control<qv::ui::SSliderBar>(2000 + kBand)->GetValue(), 17);
}

TEST_F(ParamControlBinderTest, SteppingMovesOneUnitByScale) {
    // Scale 1: one display unit.
    Step(6000 + kVolume, 1);
    Step(6000 + kVolume, 1);
    EXPECT_EQ(Value(kVolume), 2);
    Step(6000 + kVolume, -1);
    EXPECT_EQ(Value(kVolume), 1);
    EXPECT_EQ(Control<qv::ui::SSliderBar>(8000 + kVolume)->GetValue(), 1);
    Step(6000 + kVolume, -1);
    Step(6000 + kVolume, -1);
    EXPECT_EQ(Value(kVolume), 0);  // held at the minimum
    // Scale 100: one raw unit each way.
    Step(6000 + kDelay, 1);
    EXPECT_EQ(Value(kDelay), 16);
    EXPECT_EQ(Text(6000 + kDelay), u"1600");
    Step(6000 + kDelay, -1);
    Step(6000 + kDelay, -1);
    EXPECT_EQ(Value(kDelay), 14);
    // Step 0 commits the text as it stands.
    host.FindChildByID(6000 + kDelay)->SetWindowText(u"3000");
    Step(6000 + kDelay, 0);
    EXPECT_EQ(Value(kDelay), 30);
}

TEST_F(ParamControlBinderTest, SlidersSwitchesAndOptionsWriteTheirParameter) {
    auto* knob = Control<qv::ui::SSliderBar>(8000 + kVolume);
    qv::ui::EventSliderPos moved(knob);
    moved.nCode = 2;
    moved.nPos = 42;
    EXPECT_TRUE(knob->FireEvent(moved));
    EXPECT_EQ(Value(kVolume), 42);
    EXPECT_EQ(Text(6000 + kVolume), u"42");

    auto* power = host.FindChildByID(7000 + kSwitch);
    power->SetCheck(false);
    power->FireCommand();
    EXPECT_EQ(Value(kSwitch), 0);

    host.FindChildByID(605000 + kChoice)->FireCommand();
    EXPECT_EQ(Value(kChoice), 5);
    // A value from the card checks the option that stands for it.
    binder->ShowParam(kChoice, 0);
    EXPECT_TRUE(host.FindChildByID(600000 + kChoice)->IsChecked());
    EXPECT_EQ(Value(kChoice), 5);
    // A click on a kind without a click value is not consumed.
    EXPECT_FALSE(knob->FireCommand());
}

TEST_F(ParamControlBinderTest, ShowingAValueUpdatesTheControlAndItsLinkWithoutWriting) {
    binder->ShowParam(kNoise, 30);
    EXPECT_EQ(Control<qv::ui::SSliderBar>(8000 + kNoise)->GetValue(), 30);
    EXPECT_EQ(Text(6000 + kNoise), u"-60");
    EXPECT_EQ(Value(kNoise), noiseAtStart);
    binder->Clear();
    EXPECT_FALSE(binder->ShowsParam(kNoise));
    binder->ShowParam(kNoise, 10);
    EXPECT_EQ(Text(6000 + kNoise), u"-60");
}

TEST_F(ParamControlBinderTest, ControlEventsCausedByTheBinderAreNotWrittenBack) {
    binder->ShowParam(kMute, 1);
    EXPECT_TRUE(host.FindChildByID(7000 + kMute)->IsChecked());
    EXPECT_EQ(Value(kMute), 0);
    EXPECT_TRUE(params->Model().GetChangedParams().empty());
    // A change the user makes is written.
    host.FindChildByID(7000 + kMute)->SetCheck(false);
    EXPECT_EQ(Value(kMute), 0);
    host.FindChildByID(7000 + kMute)->SetCheck(true);
    EXPECT_EQ(Value(kMute), 1);
}

TEST_F(ParamControlBinderTest, TheWorkspaceLinkEndsWithTheBinder) {
    EXPECT_EQ(params->Display(), binder.get());
    host.binder = nullptr;
    binder.reset();
    EXPECT_EQ(params->Display(), nullptr);
}

}  // namespace
