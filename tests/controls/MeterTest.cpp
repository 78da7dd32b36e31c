#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "controls/QvProgress.h"
#include "controls/QvProgressEX.h"
#include "controls/QvVuGroup.h"
#include "controls/QvVumeter.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/SSkin.h"
#include "tests/controls/PluginControlTest.h"
#include "tests/ui/UiTestEnv.h"

namespace qv::controls {
namespace {

using namespace qv::ui;

constexpr COLORREF kBack = RGBA(40, 40, 40, 255);
constexpr COLORREF kLit = RGBA(0, 220, 0, 255);
constexpr COLORREF kMask = RGBA(0, 0, 0, 255);

// A skin that counts how often it is drawn: one draw per paint of its control.
class CountingSkin : public ISkinObj {
public:
    void Draw(SRenderTarget&, const CRect&, int, BYTE) override { ++draws; }
    int draws = 0;
};

class MeterTest : public test::PluginControlTest {
protected:
    void SetUp() override {
        PluginControlTest::SetUp();
        AddSolidSkin(u"back", 4, 4, {kBack});
        AddSolidSkin(u"lit", 4, 4, {kLit});
        AddSolidSkin(u"mask", 4, 4, {kMask});
        auto counting = std::make_unique<CountingSkin>();
        paints = counting.get();
        m_app->GetSkinPool().AddSkin(u"counting", std::move(counting));
    }
    void Pump() {
        while (qv::os::PumpOneMessage()) {
        }
    }
    CountingSkin* paints = nullptr;
};

TEST_F(MeterTest, ProgressFillsUpToTheValueFromTheLeftOrTheBottom) {
    CreateHost(R"(<qvprogress name="h" pos="10,10,@100,@10" bkgndSkin="back" posSkin="lit" max="200" value="50"/>
                  <qvvumeter name="v" pos="150,10,@10,@100" bkgndSkin="back" posSkin="lit" vertical="1" min="-50" max="50" value="-50"/>)");
    auto* h = Find<QvProgress>(u"h");
    auto* v = Find<QvVumeter>(u"v");
    EXPECT_TRUE(v->IsClass(u"qvprogress"));
    EXPECT_FALSE(h->IsClass(u"qvvumeter"));
    EXPECT_EQ(h->LitRect(), CRect(10, 10, 35, 20));
    EXPECT_TRUE(v->LitRect().IsRectEmpty());
    Redraw();
    EXPECT_EQ(Pixel(34, 15), kLit);
    EXPECT_EQ(Pixel(36, 15), kBack);
    EXPECT_EQ(Pixel(155, 105), kBack);  // at min only the background
    v->SetValue(50);
    h->SetValue(200);
    m_host->UpdateWindow();
    EXPECT_EQ(Pixel(155, 11), kLit);
    EXPECT_EQ(Pixel(109, 15), kLit);
    v->SetValue(0);
    EXPECT_EQ(v->LitRect(), CRect(150, 60, 160, 110));
}

// A level meter's run of colours stays in place: a low level shows only the
// run's start, where a progress bar squeezes the whole run into its part.
TEST_F(MeterTest, AMetersColoursMarkLevelsAlongItsLength) {
    constexpr COLORREF kRed = RGBA(220, 0, 0, 255);
    SRenderTarget run(8, 4);
    run.FillSolidRect(CRect(0, 0, 4, 4), kLit);
    run.FillSolidRect(CRect(4, 0, 8, 4), kRed);
    auto skin = std::make_unique<SSkinImgList>();
    skin->SetImage(run.GetBitmap());
    m_app->GetSkinPool().AddSkin(u"run", std::move(skin));
    CreateHost(R"(<qvvumeter name="meter" pos="10,10,@100,@8" bkgndSkin="back" posSkin="run" max="100" value="40"/>
                  <qvprogress name="bar" pos="10,30,@100,@8" bkgndSkin="back" posSkin="run" max="100" value="40"/>)");
    Redraw();
    EXPECT_EQ(Pixel(12, 14), kLit);
    EXPECT_EQ(Pixel(45, 14), kLit);    // the run's first half reaches 50
    EXPECT_EQ(Pixel(55, 14), kBack);   // beyond the level
    EXPECT_EQ(Pixel(45, 34), kRed);    // the bar squeezes the run into 40
    Find<QvVumeter>(u"meter")->SetValue(90);
    m_host->UpdateWindow();
    EXPECT_EQ(Pixel(45, 14), kLit);
    EXPECT_EQ(Pixel(95, 14), kRed);
    EXPECT_EQ(Pixel(105, 14), kBack);
}

TEST_F(MeterTest, FallingLevelDropsOneStepPerNewLowerValue) {
    CreateHost(R"(<qvprogressex name="m" pos="10,10,@10,@127" vertical="1" SkinPosBottom="counting" max="127"/>)");
    auto* m = Find<QvProgressEX>(u"m");
    m->SetValue(127);
    Pump();
    EXPECT_EQ(m->GetShownLevel(), 127);
    // Each value of 10 the page sets takes the level 5 lower, until it is
    // 15 or less; then it shows 10. The fallen level written back asks for
    // one more paint, which changes nothing.
    std::vector<int> shown;
    for (int set = 0; set < 30 && m->GetShownLevel() != 10; ++set) {
        const int draws = paints->draws;
        m->SetValue(10);
        Pump();
        shown.push_back(m->GetShownLevel());
        EXPECT_EQ(m->GetValue(), m->GetShownLevel());
        EXPECT_EQ(paints->draws - draws, m->GetShownLevel() == 10 ? 1 : 2);
    }
    ASSERT_EQ(shown.size(), 24u);
    for (std::size_t i = 0; i + 1 < shown.size(); ++i) EXPECT_EQ(shown[i], 122 - 5 * static_cast<int>(i));
    EXPECT_EQ(shown.back(), 10);
    // Repeats of the shown level change nothing and paint nothing.
    const int draws = paints->draws;
    m->SetValue(10);
    Pump();
    EXPECT_EQ(paints->draws, draws);
    // A rise shows at once; 0 clears at once.
    m->SetValue(120);
    Pump();
    EXPECT_EQ(m->GetShownLevel(), 120);
    m->SetValue(0);
    Pump();
    EXPECT_EQ(m->GetShownLevel(), 0);
}

TEST_F(MeterTest, DeclineStepIsAtLeastOneAndTheMaskCoversTheUnlitPart) {
    CreateHost(R"(<qvprogressex name="m" pos="10,10,@10,@10" vertical="1" SkinPosBottom="lit" SkinPosMid="mask" max="10"/>
                  <qvprogressex name="h" pos="50,10,@100,@10" SkinPosBottom="lit" SkinPosMid="mask" max="100" DeclineSpeed="10"/>
                  <qvprogressex name="flat" pos="50,40,@100,@10" SkinPosBottom="lit" SkinPosMid="mask" min="5" max="5"/>)");
    auto* m = Find<QvProgressEX>(u"m");
    m->SetValue(10);
    Pump();
    m->SetValue(1);
    Pump();
    EXPECT_EQ(m->GetShownLevel(), 9);  // 4 % of 10 is less than one: one step
    EXPECT_EQ(m->MaskRect(), CRect(10, 10, 20, 11));
    auto* h = Find<QvProgressEX>(u"h");
    h->SetValue(30);
    Pump();
    EXPECT_EQ(h->MaskRect(), CRect(80, 10, 150, 20));
    EXPECT_EQ(Pixel(79, 15), kLit);
    EXPECT_EQ(Pixel(81, 15), kMask);
    // No range: no mask.
    EXPECT_TRUE(Find<QvProgressEX>(u"flat")->MaskRect().IsRectEmpty());
    EXPECT_EQ(Pixel(100, 45), kLit);
}

class FixedLevels : public IVuLevelSource {
public:
    bool IsActive() override { return active; }
    int FillLevels(int* levels, int count) override {
        ++fills;
        for (int i = 0; i < count; ++i) levels[i] = 10 * (i + 1);
        return count + 3;  // claims more than it was asked for
    }
    bool active = true;
    int fills = 0;
};

class VuGroupTest : public MeterTest {
protected:
    void SetUp() override {
        qv::os::SetClock(&clock);
        MeterTest::SetUp();
    }
    void TearDown() override {
        MeterTest::TearDown();
        qv::os::SetClock(nullptr);
    }
    // The timeline runs one frame per 10 ms step of the clock.
    void Step(int ms) {
        for (int t = 0; t < ms; t += 10) {
            clock.Step(10);
            Pump();
        }
    }
    qv::ui::test::SteppedClock clock;
};

TEST_F(VuGroupTest, DrivesItsOwnMetersFromTheSourceOrRestsThemAtZero) {
    CreateHost(R"(<qvvugroup name="g" pos="0,0,@200,@100">
                    <qvvumeter name="a" pos="0,0,@10,@100" vertical="1"/>
                    <qvprogress name="p" pos="20,0,@10,@100" vertical="1"/>
                    <window pos="40,0,@50,@100"><qvvumeter name="deep" pos="0,0,@10,@100"/></window>
                    <qvvumeter name="b" pos="100,0,@10,@100" vertical="1"/>
                  </qvvugroup>)");
    auto* g = Find<QvVuGroup>(u"g");
    ASSERT_EQ(g->GetMeters().size(), 2u);
    EXPECT_EQ(g->GetMeters()[0], Find<QvVumeter>(u"a"));
    EXPECT_EQ(g->GetMeters()[1], Find<QvVumeter>(u"b"));
    FixedLevels source;
    g->SetLevelSource(&source);
    Step(10);
    EXPECT_EQ(Find<QvVumeter>(u"a")->GetValue(), 10);
    EXPECT_EQ(Find<QvVumeter>(u"b")->GetValue(), 20);
    EXPECT_EQ(Find<QvVumeter>(u"deep")->GetValue(), 0);
    Step(90);
    EXPECT_EQ(source.fills, 1);
    Step(10);
    EXPECT_EQ(source.fills, 2);  // every 100 ms
    // Without a source the meters go to 0, then rest for 2000 ms.
    g->SetLevelSource(nullptr);
    Step(100);
    EXPECT_EQ(Find<QvVumeter>(u"a")->GetValue(), 0);
    g->SetLevelSource(&source);
    Step(1900);
    EXPECT_EQ(source.fills, 2);
    Step(100);
    EXPECT_EQ(source.fills, 3);
    // A meter destroyed since is skipped.
    Find<QvVumeter>(u"a")->DestroyWindow();
    Step(100);
    EXPECT_EQ(source.fills, 4);
    EXPECT_EQ(Find<QvVumeter>(u"b")->GetValue(), 20);
}

}  // namespace
}  // namespace qv::controls
