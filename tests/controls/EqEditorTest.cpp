#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "controls/GradientEllipse.h"
#include "controls/QvEQ.h"
#include "controls/QvEqCurve.h"
#include "controls/QvEqGrid.h"
#include "controls/SMoveThumb.h"
#include "tests/controls/PluginControlTest.h"

namespace qv::controls {
namespace {

using namespace qv::ui;

constexpr double kFreqs[] = {31, 62, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
constexpr COLORREF kGridColor = RGBA(128, 128, 128, 255);

// An editor at (0,0,500,200) with a grid, a curve and ten band thumbs.
class EqEditorTest : public test::PluginControlTest {
protected:
    void Open(const char* attrs, const char* extraChildren = "") {
        std::string xml = std::string(R"(<qveq name="eq" pos="0,0,@500,@200" )") + attrs + ">" +
                          R"(<qveqgrid name="grid" pos="0,0,-0,-0" colorText="#808080"/><qveqcurve name="curve" pos="0,0,-0,-0"/>)";
        for (int i = 0; i < 10; ++i) {
            xml += "<moveThumb name=\"t" + std::to_string(i) + "\" data=\"" + std::to_string(i) +
                   "\" pos=\"0,0\" size=\"10,10\" centerColor=\"#FFFFFFFF\"/>";
        }
        xml += std::string(extraChildren) + "</qveq>";
        CreateHostSized(xml.c_str(), 600, 300);
        eq = Find<QvEQ>(u"eq");
        ASSERT_NE(eq, nullptr);
    }
    void AddTenBands(double gainAt1000 = 0) {
        for (double f : kFreqs) eq->AddBand(f == 1000 ? gainAt1000 : 0, f, 1.7);
        eq->UpdateFromModel();
        m_host->UpdateWindow();
    }
    CPoint Centre(const SWindow* w) {
        const CRect rc = w->GetWindowRect();
        return {rc.left + rc.Width() / 2, rc.top + rc.Height() / 2};
    }
    QvEQ* eq = nullptr;
};

TEST_F(EqEditorTest, ThumbsSitOnTheLogarithmicScale) {
    for (int zero : {10, 20}) {
        SCOPED_TRACE(zero);
        Open(("zeroXFreq=\"" + std::to_string(zero) + "\"").c_str());
        AddTenBands();
        EXPECT_EQ(Centre(eq->GetBandThumb(5)), CPoint(zero == 10 ? 311 : 292, 100));
        EXPECT_TRUE(eq->GetBandThumb(9)->IsVisible());
        const double px = 464 / (std::log10(24000.0) - std::log10(zero));
        EXPECT_EQ(Centre(eq->GetBandThumb(0)).x, 36 + static_cast<int>(std::trunc((std::log10(31.0) - std::log10(zero)) * px + 0.5)));
        m_host->DestroyWindow();
    }
}

TEST_F(EqEditorTest, GridLinesAndLabelsFollowTheDbRange) {
    Open("");
    auto* grid = Find<QvEqGrid>(u"grid");
    std::vector<int> ys, values, labelled;
    for (const auto& line : grid->DbLines()) {
        ys.push_back(line.pos);
        values.push_back(line.value);
        if (line.labelled) labelled.push_back(line.value);
    }
    EXPECT_EQ(ys, (std::vector<int>{18, 59, 100, 141, 182}));
    EXPECT_EQ(values, (std::vector<int>{12, 6, 0, -6, -12}));
    EXPECT_EQ(labelled, values);
    Redraw();
    EXPECT_EQ(Pixel(300, 59), kGridColor);
    eq->SetAttribute(u"dbKeduVal", u"12", false);
    m_host->UpdateWindow();
    labelled.clear();
    for (const auto& line : grid->DbLines())
        if (line.labelled) labelled.push_back(line.value);
    EXPECT_EQ(labelled, (std::vector<int>{12, 0, -12}));
    // The frequency lines, truncated where thumbs are rounded, down to the
    // grid's bottom.
    int labels = 0;
    for (const auto& line : grid->FreqLines()) {
        labels += line.labelled;
        if (line.value == 1000) {
            EXPECT_EQ(line.pos, 310);
        }
    }
    EXPECT_EQ(labels, 10);
    EXPECT_EQ(Pixel(310, 150), kGridColor);
    EXPECT_NE(Pixel(310, 190), kGridColor);  // below the grid
}

// Every label shows whole inside the editor and clear of the others: the
// "20kHz" at the right edge, "-12dB" beside "20Hz" in the corner.
TEST_F(EqEditorTest, LabelsStayInsideTheEditorAndApartFromEachOther) {
    for (const char* attrs : {"zeroXFreq=\"20\"", "zeroXFreq=\"10\""}) {
        SCOPED_TRACE(attrs);
        Open(attrs);
        const std::vector<QvEqGrid::Label> labels = Find<QvEqGrid>(u"grid")->Labels();
        EXPECT_EQ(labels.size(), 5u + 10u);
        const CRect client = Find<QvEqGrid>(u"grid")->GetClientRect();
        for (std::size_t i = 0; i < labels.size(); ++i) {
            const CRect& a = labels[i].rect;
            EXPECT_TRUE(a.left >= client.left && a.right <= client.right && a.top >= client.top && a.bottom <= client.bottom)
                << labels[i].text.ToUtf8();
            for (std::size_t j = i + 1; j < labels.size(); ++j) {
                CRect apart = labels[j].rect;
                apart.Inflate(2, 0);  // at least 2 px between neighbours on a row
                CRect overlap;
                EXPECT_FALSE(overlap.Intersect(a, apart)) << labels[i].text.ToUtf8() << " meets " << labels[j].text.ToUtf8();
            }
        }
        m_host->DestroyWindow();
    }
}

TEST_F(EqEditorTest, AttributesAreBoundedAndReadExactly) {
    Open(R"(zeroXFreq="5" minFreq="31.5")");
    EXPECT_EQ(eq->GetMetrics().zeroXFreq, 10);
    EXPECT_EQ(eq->GetMinFreq(), 31.5);
    EXPECT_EQ(eq->SetAttribute(u"nKedu", u"0", false), E_FAIL);
    EXPECT_EQ(eq->SetAttribute(u"dbKeduVal", u"-6", false), E_FAIL);
    EXPECT_EQ(eq->SetAttribute(u"maxFreq", u"inf", false), E_FAIL);
    m_host->DestroyWindow();
    Open(R"(zeroXFreq="30")");
    EXPECT_EQ(eq->GetMetrics().zeroXFreq, 20);
}

TEST_F(EqEditorTest, DraggingAThumbSetsItsBandWithinTheRangeAndReportsIt) {
    Open("");
    AddTenBands();
    int events = 0;
    EventEqValueChanged last(nullptr);
    eq->SubscribeEvent(EVT_EQ_VALUE_CHANGED, [&](EventArgs* e) {
        if (auto* changed = EventCast<EventEqValueChanged>(e)) {
            ++events;
            last.band = changed->band;
            last.mask = changed->mask;
            last.gain = changed->gain;
            last.frequency = changed->frequency;
        }
        return true;
    });
    MouseDown({311, 100});
    MouseMove({311, 59});  // up to the +6 dB line
    EXPECT_EQ(events, 1);
    EXPECT_EQ(last.band, 5);
    EXPECT_EQ(last.mask, 3);
    EXPECT_NEAR(last.gain, 6, 0.1);
    EXPECT_NEAR(last.frequency, 1000, 10);
    EXPECT_EQ(eq->GetModel().GetSelectedBand(), 5);
    EXPECT_EQ(Centre(eq->GetBandThumb(5)).y, 59);
    MouseMove({-300, -300});  // above the grid and left of it
    EXPECT_EQ(last.gain, 12);
    EXPECT_EQ(last.frequency, 10);  // minFreq
    EXPECT_EQ(Centre(eq->GetBandThumb(5)), CPoint(36, 18));
    MouseMove({900, 900});
    EXPECT_EQ(last.gain, -12);
    EXPECT_EQ(last.frequency, 22000);
    MouseUp({900, 900});
    EXPECT_EQ(events, 3);
    // The summed curve follows the band: near -12 dB around 22 kHz.
    const auto& curve = Find<QvEqCurve>(u"curve")->GetCurveA();
    EXPECT_EQ(curve.size(), 1024u);
    EXPECT_NEAR(curve.front().y, 100, 0.5);
}

TEST_F(EqEditorTest, OnlyKnownThumbsOfExistingBandsTakePart) {
    Open("", R"(<moveThumb name="far" data="20" pos="0,0" size="10,10"/><moveThumb name="odd" data="70" pos="0,0" size="10,10"/>
                <moveThumb name="bw" data="-5" pos="0,0" size="10,10"/>)");
    AddTenBands();
    EXPECT_EQ(eq->GetBandThumb(20), Find<SMoveThumb>(u"far"));
    EXPECT_EQ(eq->GetSpecialThumb(4), Find<SMoveThumb>(u"bw"));
    EXPECT_FALSE(Find<SMoveThumb>(u"far")->IsVisible());  // no band 20
    EXPECT_FALSE(Find<SMoveThumb>(u"odd")->IsVisible());
    EXPECT_FALSE(Find<SMoveThumb>(u"bw")->IsVisible());
    int events = 0;
    eq->SubscribeEvent(EVT_EQ_VALUE_CHANGED, [&](EventArgs*) { return ++events > 0; });
    for (const char16_t* name : {u"far", u"odd"}) {
        auto* thumb = Find<SMoveThumb>(name);
        EventThumbMoving move(thumb);
        move.userData = static_cast<int>(thumb->GetUserData());
        move.x = 100;
        move.y = 30;
        thumb->FireEvent(move);
    }
    EXPECT_EQ(events, 0);
    EXPECT_EQ(eq->GetModel().GetSelectedBand(), -1);
    // An editor without thumbs has all its slots empty.
    m_host->DestroyWindow();
    CreateHostSized(R"(<qveq name="eq" pos="0,0,@500,@200"/>)", 600, 300);
    eq = Find<QvEQ>(u"eq");
    for (int i = 0; i < QvEQ::kBandThumbs; ++i) EXPECT_EQ(eq->GetBandThumb(i), nullptr);
    for (int i = 0; i < QvEQ::kSpecialThumbs; ++i) EXPECT_EQ(eq->GetSpecialThumb(i), nullptr);
    AddTenBands(12);  // no curve, no thumbs: nothing to draw, nothing breaks
}

TEST_F(EqEditorTest, WithoutADbRangeNothingIsPlacedOrDragged) {
    Open(R"(dbMax="0" dbMin="0")");
    AddTenBands();
    EXPECT_EQ(Centre(eq->GetBandThumb(5)), CPoint(5, 5));  // where its layout put it
    int events = 0;
    eq->SubscribeEvent(EVT_EQ_VALUE_CHANGED, [&](EventArgs*) { return ++events > 0; });
    MouseDown({5, 5});
    MouseMove({200, 100});
    MouseUp({200, 100});
    EXPECT_EQ(events, 0);
    for (const auto& line : Find<QvEqGrid>(u"grid")->DbLines()) EXPECT_FALSE(line.labelled);
    Redraw();
}

TEST_F(EqEditorTest, TheCurveShowsTheSumAndTheSelectedBand) {
    Open("");
    AddTenBands(12);
    auto* curve = Find<QvEqCurve>(u"curve");
    for (int i = 0; i < 10; ++i) eq->GetBandThumb(i)->SetVisible(false);
    Redraw();
    const auto& a = curve->GetCurveA();
    const auto top = std::min_element(a.begin(), a.end(), [](const PointF& p, const PointF& q) { return p.y < q.y; });
    EXPECT_NEAR(top->y, 100 - 12 * 164.0 / 24, 0.5);  // +12 dB at 1 kHz
    EXPECT_NEAR(top->x, 311, 2);
    EXPECT_EQ(Pixel(static_cast<int>(top->x), static_cast<int>(std::lround(top->y))), RGBA(0, 255, 0, 255));
    // Selecting the band by a gain change draws its shape, closed on 0 dB.
    eq->SetBandGain(5, -6);
    m_host->UpdateWindow();
    const auto& polygon = curve->GetBandPolygon();
    ASSERT_EQ(polygon.size(), 1026u);
    EXPECT_EQ(polygon.front().y, 100);
    EXPECT_EQ(polygon.back().y, 100);
    const auto low = std::max_element(polygon.begin(), polygon.end(), [](const PointF& p, const PointF& q) { return p.y < q.y; });
    EXPECT_NEAR(low->y, 100 + 6 * 164.0 / 24, 0.5);
    EXPECT_EQ(Centre(eq->GetBandThumb(5)).y, 141);
    // A gain no response can be computed for draws nothing of it and breaks
    // nothing else.
    eq->SetBandGain(2, 1e300);
    Redraw();
    EXPECT_EQ(Pixel(300, 59), kGridColor);
}

TEST(MoveThumbLook, SurroundIsTheCentreLightenedBy57) {
    EXPECT_EQ(GradientEllipseRim(RGBA(0, 0, 0, 255)), RGBA(57, 57, 57, 255));
    EXPECT_EQ(GradientEllipseRim(RGBA(255, 255, 255, 128)), RGBA(56, 56, 56, 128));
}

class MoveThumbTest : public test::PluginControlTest {
protected:
    void Open(const char* attrs) {
        CreateHost((std::string(R"(<moveThumb name="t" pos="100,100" size="20,20" centerColor="#000000" )") + attrs + "/>").c_str());
        thumb = Find<SMoveThumb>(u"t");
        thumb->SubscribeEvent(EVT_THUMB_MOVING, [this](EventArgs* e) {
            moves.push_back(*EventCast<EventThumbMoving>(e));
            return true;
        });
    }
    void Hover(CPoint pt) { m_host->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y)); }
    SMoveThumb* thumb = nullptr;
    std::vector<EventThumbMoving> moves;
};

TEST_F(MoveThumbTest, ReportsWhereItWouldGoWithoutMoving) {
    Open(R"(canYMove="0" data="7")");
    Hover({105, 105});
    EXPECT_TRUE(moves.empty());  // no drag without a press
    MouseDown({105, 108});
    EXPECT_EQ(thumb->GetCursor(), CursorId::SizeAll);
    MouseMove({125, 140});
    MouseMove({135, 150});
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[0].userData, 7);
    EXPECT_EQ(moves[0].x, 120);
    EXPECT_EQ(moves[1].x, 130);
    EXPECT_EQ(moves[0].y, 100);  // y cannot move
    EXPECT_EQ(moves[1].y, 100);
    EXPECT_EQ(moves[1].currentX, 100);
    EXPECT_EQ(thumb->GetWindowRect().TopLeft(), CPoint(100, 100));
    // A move without the button held ends the drag.
    Hover({140, 150});
    MouseMove({150, 150});
    EXPECT_EQ(moves.size(), 2u);
    // So does losing the capture.
    MouseDown({105, 105});
    EXPECT_TRUE(thumb->IsDragging());
    thumb->OnCaptureLost();
    EXPECT_FALSE(thumb->IsDragging());
}

TEST_F(MoveThumbTest, KeepsItsPlaceAsFractionsOfTheArea) {
    Open(R"(xFloat="0.5" yFloat="0.25")");
    thumb->UpdateFloatPosition(CRect(10, 20, 210, 120));
    EXPECT_EQ(thumb->GetWindowRect(), CRect(110, 45, 130, 65));
    thumb->Move(CRect(60, 20, 80, 40));
    thumb->UpdateFloatFromRect();
    EXPECT_FLOAT_EQ(thumb->GetXFloat(), 0.25f);
    EXPECT_FLOAT_EQ(thumb->GetYFloat(), 0.0f);
    thumb->UpdateFloatPosition(CRect(10, 20, 10, 20));  // an empty area
    thumb->Move(CRect(0, 0, 20, 20));
    thumb->UpdateFloatFromRect();
    EXPECT_FLOAT_EQ(thumb->GetXFloat(), 0.25f);
    Redraw();
    // Black at the centre, lighter towards the rim.
    EXPECT_LT(GetRValue(Pixel(10, 10)), 10);
    EXPECT_GT(GetRValue(Pixel(10, 2)), 35);
    EXPECT_EQ(GetAValue(Pixel(10, 10)), 255);
}

}  // namespace
}  // namespace qv::controls
