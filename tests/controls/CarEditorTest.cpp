#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "controls/GradientEllipse.h"
#include "controls/QvCar.h"
#include "controls/QvCarCurve.h"
#include "controls/QvCarGrid.h"
#include "controls/QvCarThumb.h"
#include "platform/os/MessageQueue.h"
#include "tests/controls/PluginControlTest.h"
#include "tests/support/GeometryPrinters.h"
#include "tests/ui/UiTestEnv.h"

namespace qv::controls {
namespace {

using namespace qv::ui;

// Defaults in a 600 x 600 window: 10 mm a pixel, millimetre 0,0 at pixel
// (240,380), the car body (240,112)-(422,380).
constexpr const char* kCar = R"(
<qvcar name="car" pos="0,0,-0,-0">
  <qvcargrid name="grid" pos="0,0,-0,-0" colorCoords="#E6E8EE"/>
  <qvcarcurve name="curve" pos="0,0,-0,-0" colorCar="#00FF00" colorSoundSpace="#FF00FF"/>
  <window name="car_pic"/>
  <qvcarthumb name="listener" data="0" size="16,16" centerColor="#3DA9FC"/>
  <qvcarthumb name="s1" data="1" size="16,16" centerColor="#F2A33A"/>
  <qvcarthumb name="s2" data="2" size="16,16" centerColor="#F2A33A"/>
  <qvcarthumb name="s3" data="3" size="16,16" centerColor="#F2A33A"/>
  <qvcarthumb name="s4" data="4" size="16,16" centerColor="#F2A33A"/>
  <text name="ch1_tip"/><text name="ch2_tip"/><text name="ch3_tip"/><text name="ch4_tip"/>
  <text name="car_pos_tip" visible="0"/>
</qvcar>)";

// Millimetres of a pixel of the default scale.
CPoint Mm(int px, int py) { return CPoint((px - 40) * 10 - 2000, (580 - py) * 10 - 2000); }

bool Near(COLORREF c, COLORREF want) {
    return std::abs(GetRValue(c) - GetRValue(want)) < 40 && std::abs(GetGValue(c) - GetGValue(want)) < 40 &&
           std::abs(GetBValue(c) - GetBValue(want)) < 40;
}

class CarEditorTest : public test::PluginControlTest {
protected:
    void SetUp() override {
        qv::os::SetClock(&m_clock);
        PluginControlTest::SetUp();
        // The plug-in does not register the editor; a host that uses it does.
        SWindowFactory& f = m_app->GetWindowFactory();
        f.RegisterClass<QvCar>();
        f.RegisterClass<QvCarGrid>();
        f.RegisterClass<QvCarCurve>();
        f.RegisterClass<QvCarThumb>();
        CreateHostSized(kCar, 600, 600);
        m_car = Find<QvCar>(u"car");
        ASSERT_NE(m_car, nullptr);
        ASSERT_NE(m_car->SubscribeEvent(EVT_CAR_DELAY_CHANGED, [this](EventArgs*) { return ++m_changes, true; }), 0u);
    }
    void TearDown() override {
        PluginControlTest::TearDown();
        qv::os::SetClock(nullptr);
    }
    void Step(int ms) {
        for (int t = 0; t < ms; t += 10) {
            m_clock.Step(10);
            qv::ui::test::PumpPending();
        }
    }
    void SetSpeakers(std::vector<CPoint> mm, CPoint listener) {
        m_car->SetSpeakers(mm.data(), static_cast<int>(mm.size()), listener.x, listener.y);
        m_host->UpdateWindow();
    }
    CPoint Centre(const char16_t* name) { return Find<SWindow>(name)->GetWindowRect().CenterPoint(); }
    bool Shown(const char16_t* name) { return Find<SWindow>(name)->IsVisible(); }

    qv::ui::test::SteppedClock m_clock;
    QvCar* m_car = nullptr;
    int m_changes = 0;
};

TEST_F(CarEditorTest, DefaultScalePlacesTheCarAndLabelsTheAxesInMetres) {
    const CarGeometry& g = m_car->GetGeometry();
    EXPECT_EQ(g.origin, CPoint(240, 380));
    EXPECT_EQ(g.car, CRect(240, 112, 422, 380));
    EXPECT_EQ(Find<SWindow>(u"car_pic")->GetWindowRect(), CRect(220, 21, 442, 471));

    // Hidden until a thumb moves; nothing shows without speakers.
    EXPECT_FALSE(Shown(u"grid"));
    EXPECT_FALSE(Shown(u"curve"));
    EXPECT_FALSE(Shown(u"listener"));
    EXPECT_FALSE(Shown(u"s1"));
    EXPECT_FALSE(Shown(u"ch1_tip"));
    auto* grid = Find<QvCarGrid>(u"grid");
    grid->SetVisible(true);
    m_host->UpdateWindow();
    for (const auto& ticks : {grid->VerticalTicks(), grid->HorizontalTicks()}) {
        ASSERT_EQ(ticks.size(), 6u);
        for (size_t i = 0; i < ticks.size(); ++i) EXPECT_EQ(ticks[i].valueMm, -2000 + 1000 * static_cast<int>(i));
    }
    const auto v = grid->VerticalTicks();
    const auto h = grid->HorizontalTicks();
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(v[i].at, CPoint(40, 580 - 100 * static_cast<int>(i)));
        EXPECT_EQ(h[i].at, CPoint(40 + 100 * static_cast<int>(i), 580));
    }
    EXPECT_EQ(v[5].label, CRect(2, 65, 40, 95));
    EXPECT_EQ(h[5].label, CRect(512, 580, 550, 610));
}

TEST_F(CarEditorTest, SpeakerCountIsBoundedAndZeroShowsNothing) {
    std::vector<CPoint> many(40, CPoint(500, 1000));
    SetSpeakers(many, CPoint(900, 1300));
    EXPECT_EQ(m_car->GetSpeakerCount(), 32);
    std::vector<CPoint> out(40);
    EXPECT_EQ(m_car->GetSpeakers(out.data(), 40), 32);
    EXPECT_EQ(m_car->GetSpeakers(out.data(), 3), 3);
    EXPECT_TRUE(Shown(u"listener"));
    EXPECT_TRUE(Shown(u"s4"));
    EXPECT_TRUE(Shown(u"ch4_tip"));

    SetSpeakers({CPoint(0, 0), CPoint(100, 100)}, CPoint(900, 1300));
    EXPECT_TRUE(Shown(u"s2"));
    EXPECT_FALSE(Shown(u"s3"));
    EXPECT_FALSE(Shown(u"ch3_tip"));
    const CRect s1 = Find<SWindow>(u"s1")->GetWindowRect();

    for (int count : {0, -5}) {
        m_car->SetSpeakers(many.data(), count, 0, 0);
        m_host->UpdateWindow();
        EXPECT_EQ(m_car->GetSpeakerCount(), 0);
        EXPECT_EQ(m_car->GetSpeakers(out.data(), 40), 0);
        for (const char16_t* name : {u"listener", u"s1", u"s2", u"ch1_tip"}) EXPECT_FALSE(Shown(name)) << SStringW(name).ToUtf8();
        EXPECT_EQ(Find<SWindow>(u"s1")->GetWindowRect(), s1);  // no layout ran
    }
}

// Distances and delays come from the millimetres, so the result is the same
// at every scale: 346 mm nearer is 1 ms earlier.
class CarDelayTest : public CarEditorTest, public ::testing::WithParamInterface<int> {};

TEST_P(CarDelayTest, NearerSpeakersWaitForTheFarthest) {
    ASSERT_EQ(m_car->SetAttribute(u"mmPerPx", SStringW::Format(u"%d", GetParam()), false), S_OK);
    const CPoint listener(500, 1000);
    SetSpeakers({CPoint(500, 2500), CPoint(2000, 1000), CPoint(500, 1000 - 1154), CPoint(1400, 2200)}, listener);
    double delays[4] = {-1, -1, -1, -1};
    ASSERT_EQ(m_car->GetDelays(delays, 4), 4);
    EXPECT_DOUBLE_EQ(delays[0], 0);  // farthest, and all at 1500 mm are equal
    EXPECT_DOUBLE_EQ(delays[1], 0);
    EXPECT_DOUBLE_EQ(delays[3], 0);
    EXPECT_DOUBLE_EQ(delays[2], 346);
    EXPECT_EQ(Find<SWindow>(u"ch3_tip")->GetWindowText(), SStringW(u"1.000ms"));
    EXPECT_EQ(Find<SWindow>(u"ch1_tip")->GetWindowText(), SStringW(u"0.000ms"));
    EXPECT_EQ(Find<SWindow>(u"s3")->GetToolTipText(), SStringW(u"(0.500m,-0.154m)\nDelay:346.00mm\nDelay:1.000ms"));
    EXPECT_EQ(Find<SWindow>(u"listener")->GetToolTipText(), SStringW(u"(0.500m,1.000m)"));
    EXPECT_EQ(m_car->GetListener(), listener);
}

INSTANTIATE_TEST_SUITE_P(Scales, CarDelayTest, ::testing::Values(10, 7, 3));

TEST_F(CarEditorTest, SpeakerOnTheListenerAndTinyTicksNeitherDivideByZeroNorHang) {
    SetSpeakers({CPoint(900, 1300)}, CPoint(900, 1300));
    double delay = -1;
    ASSERT_EQ(m_car->GetDelays(&delay, 1), 1);
    EXPECT_EQ(delay, 0);
    EXPECT_TRUE(m_car->GetSoundSpace().IsRectEmpty());
    SetSpeakers({CPoint(900, 1300), CPoint(900, 2300)}, CPoint(900, 1300));
    EXPECT_EQ(m_car->GetSpeaker(0).virtualPx, m_car->GetListenerPixels());
    EXPECT_EQ(m_car->GetSoundSpace().Width(), 200);

    // A scale of 0 or less is refused; ticks under a pixel apart are left out.
    for (const char16_t* name : {u"mmPerPx", u"mmPerScale"}) {
        EXPECT_EQ(m_car->SetAttribute(name, u"0", false), E_FAIL) << SStringW(name).ToUtf8();
        EXPECT_EQ(m_car->SetAttribute(name, u"-10", false), E_FAIL) << SStringW(name).ToUtf8();
    }
    ASSERT_EQ(m_car->SetAttribute(u"mmPerScale", u"1", false), S_OK);
    auto* grid = Find<QvCarGrid>(u"grid");
    EXPECT_TRUE(grid->VerticalTicks().empty());
    EXPECT_TRUE(grid->HorizontalTicks().empty());
    grid->SetVisible(true);
    Redraw();
    // The axis is still drawn.
    EXPECT_TRUE(Near(Pixel(300, 580), RGBA(0xE6, 0xE8, 0xEE, 255)));
}

TEST_F(CarEditorTest, TipsSitBesideTheirSpeakerAwayFromTheLabelArea) {
    // The label area is (285,201)-(377,291): one speaker left of it, one
    // right, one above and one below.
    SetSpeakers({Mm(250, 246), Mm(410, 246), Mm(331, 150), Mm(331, 350)}, Mm(331, 246));
    const CPoint at[] = {{250, 246}, {410, 246}, {331, 150}, {331, 350}};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Centre(SStringW::Format(u"s%d", i + 1).c_str()), at[i]) << i;
    auto tip = [this](int n) { return Find<SWindow>(SStringW::Format(u"ch%d_tip", n).c_str())->GetWindowRect(); };
    const CSize t = tip(1).Size();
    ASSERT_GT(t.cx, 10);
    EXPECT_EQ(tip(1).TopLeft(), CPoint(250 - 8 - t.cx - 5, 246 - t.cy / 2));
    EXPECT_EQ(tip(2).TopLeft(), CPoint(410 + 8 + 5, 246 - t.cy / 2));
    EXPECT_EQ(tip(3).TopLeft(), CPoint(331 - t.cx / 2, 150 - 8 - t.cy - 5));
    EXPECT_EQ(tip(4).TopLeft(), CPoint(331 - t.cx / 2, 350 + 8 + 5));
}

TEST_F(CarEditorTest, DragStopsAtTheCarShowsThePositionAndHidesTheGuidesLater) {
    SetSpeakers({Mm(300, 200), Mm(380, 200), Mm(300, 300), Mm(380, 300)}, Mm(340, 250));
    const CPoint from = Centre(u"s1");
    MouseDown(from);
    MouseMove(CPoint(260, 150));
    EXPECT_EQ(Centre(u"s1"), CPoint(260, 150));
    EXPECT_EQ(m_changes, 1);
    EXPECT_TRUE(Shown(u"grid"));
    EXPECT_TRUE(Shown(u"curve"));
    EXPECT_TRUE(Shown(u"car_pos_tip"));
    // Far outside the body: held at its top-left corner.
    MouseMove(CPoint(100, 20));
    EXPECT_EQ(Centre(u"s1"), CPoint(240, 112));
    CPoint s1;
    m_car->GetSpeakers(&s1, 1);
    EXPECT_EQ(s1, CPoint(0, 2680));
    EXPECT_EQ(Find<SWindow>(u"car_pos_tip")->GetWindowText(), SStringW(u"0.000m,2.680m"));
    EXPECT_EQ(Find<SWindow>(u"car_pos_tip")->GetWindowRect().TopLeft(), CPoint(270, 137));
    EXPECT_EQ(m_changes, 2);
    MouseUp(CPoint(100, 20));
    EXPECT_FALSE(Shown(u"car_pos_tip"));
    // A relayout keeps the thumb where it was left.
    m_host->UpdateLayout();
    EXPECT_EQ(Centre(u"s1"), CPoint(240, 112));

    // The guides go 3 s after the release, unless a new drag began.
    Step(2000);
    MouseDown(Centre(u"s2"));
    MouseMove(CPoint(390, 210));
    Step(1500);
    EXPECT_TRUE(Shown(u"curve"));
    MouseUp(CPoint(390, 210));
    Step(2990);
    EXPECT_TRUE(Shown(u"grid"));
    Step(10);
    EXPECT_FALSE(Shown(u"grid"));
    EXPECT_FALSE(Shown(u"curve"));
}

TEST_F(CarEditorTest, CurveDrawsTheOutlineTheCircleAndBothKindsOfLine) {
    // Listener in the middle, one speaker 60 px to its right, one 30 px left.
    SetSpeakers({Mm(390, 250), Mm(300, 250)}, Mm(330, 250));
    MouseDown(Centre(u"listener"));
    MouseMove(Centre(u"listener"));  // a drag that stays shows the curve
    MouseUp(Centre(u"listener"));
    Redraw();
    const COLORREF green = RGBA(0, 255, 0, 255);
    EXPECT_TRUE(Near(Pixel(421, 300), green));   // right side of the outline
    EXPECT_TRUE(Near(Pixel(330, 460), green));   // its bottom, 10 px inside the picture
    EXPECT_FALSE(Near(Pixel(425, 300), green));
    EXPECT_TRUE(Near(Pixel(360, 250), RGBA(255, 170, 170, 255)));  // listener to speaker, solid
    // Left speaker's virtual position is 60 px left of the listener: a dotted
    // yellow line from there to the speaker, and the magenta circle there.
    auto any = [this](int x0, int x1, int y, COLORREF c) {
        for (int x = x0; x <= x1; ++x)
            if (Near(Pixel(x, y), c)) return true;
        return false;
    };
    EXPECT_TRUE(any(275, 290, 250, RGBA(255, 255, 0, 255)));
    EXPECT_TRUE(any(262, 278, 250, RGBA(255, 0, 255, 255)) || any(330, 340, 190, RGBA(255, 0, 255, 255)));
    EXPECT_FALSE(any(200, 230, 250, RGBA(255, 255, 0, 255)));
}

}  // namespace
}  // namespace qv::controls
