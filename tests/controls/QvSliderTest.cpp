#include <gtest/gtest.h>

#include "controls/QvSlider.h"
#include "controls/QvSlider2.h"
#include "controls/SSimpleToolTip.h"
#include "platform/ui/IDisplayBackend.h"
#include "platform/ui/SystemLook.h"
#include "tests/controls/PluginControlTest.h"

namespace qv::controls {
namespace {

using namespace qv::ui;
using qv::ui::test::EventLog;

constexpr COLORREF kRail = RGBA(90, 90, 90, 255);
constexpr COLORREF kSpan = RGBA(0, 200, 0, 255);
constexpr COLORREF kNormal = RGBA(0, 0, 255, 255);
constexpr COLORREF kHover = RGBA(255, 255, 0, 255);
constexpr COLORREF kPushed = RGBA(255, 0, 255, 255);
constexpr COLORREF kDisabled = RGBA(10, 10, 10, 255);

// A vertical slider over x 100..120, y 20..140 with a 20 x 10 thumb and a
// 6-pixel rail (x 107..113): the thumb travels 110 pixels, the rail runs
// from y 25 to 135.
class SliderTest : public test::PluginControlTest {
protected:
    void SetUp() override {
        PluginControlTest::SetUp();
        AddSolidSkin(u"vthumb", 20, 10, {kNormal, kHover, kPushed, kDisabled});
        AddSolidSkin(u"vrail", 6, 120, {kRail});
        AddSolidSkin(u"hthumb", 10, 20, {kNormal, kHover, kPushed, kDisabled});
        AddSolidSkin(u"hrail", 120, 6, {kRail});
        AddSolidSkin(u"span", 6, 6, {kSpan});
    }
    void Open(const char* extra = "") {
        std::string xml = std::string(R"(<qvslider name="v" pos="100,20,@20,@120" vertical="1" thumbSkin="vthumb" bkgndSkin="vrail" )"
                                      R"(posSkin="span" max="100" value="50" showPercent="1"/>)"
                                      R"(<qvslider name="h" pos="10,160,@120,@20" thumbSkin="hthumb" bkgndSkin="hrail" posSkin="span" )"
                                      R"(max="100" value="50"/>)") + extra;
        CreateHost(xml.c_str());
        v = Find<QvSlider>(u"v");
        h = Find<QvSlider>(u"h");
        vlog.Attach(v, EVT_SLIDER_POS);
        hlog.Attach(h, EVT_SLIDER_POS);
    }
    QvSlider* v = nullptr;
    QvSlider* h = nullptr;
    EventLog vlog, hlog;
};

TEST_F(SliderTest, PartsSitAlongTheRailFromTheBottomAndAcrossItInTheBand) {
    Open();
    EXPECT_EQ(v->PartRect(SSliderBar::kPartThumb), CRect(100, 75, 120, 85));
    EXPECT_EQ(v->PartRect(SSliderBar::kPartRail), CRect(107, 25, 113, 135));
    EXPECT_EQ(v->PartRect(SSliderBar::kPartSelect), CRect(107, 80, 113, 135));
    EXPECT_EQ(v->PartRect(SSliderBar::kPartRailBack), CRect(107, 20, 113, 140));
    EXPECT_EQ(h->PartRect(SSliderBar::kPartThumb), CRect(65, 160, 75, 180));
    EXPECT_EQ(h->PartRect(SSliderBar::kPartSelect), CRect(15, 167, 70, 173));
    EXPECT_EQ(v->HitPart({110, 80}), SSliderBar::kPartThumb);
    EXPECT_EQ(v->HitPart({110, 100}), SSliderBar::kPartSelect);
    EXPECT_EQ(v->HitPart({110, 30}), SSliderBar::kPartRail);
    EXPECT_EQ(v->HitPart({101, 30}), SSliderBar::kPartNone);
    v->SetAttribute(u"SelectPosDeflate", u"2", false);
    v->SetAttribute(u"thumbInRail-x", u"3", false);
    EXPECT_EQ(v->PartRect(SSliderBar::kPartSelect), CRect(109, 80, 111, 138));
}

TEST_F(SliderTest, PaintsRailSpanAndThumbInTheStateOfTheThumb) {
    Open();
    Redraw();
    EXPECT_EQ(Pixel(110, 50), kRail);
    EXPECT_EQ(Pixel(110, 100), kSpan);
    EXPECT_EQ(Pixel(102, 80), kNormal);
    MouseMove({110, 80});  // hover the thumb
    m_host->UpdateWindow();
    EXPECT_EQ(Pixel(102, 80), kHover);
    MouseDown({110, 80});
    m_host->UpdateWindow();
    EXPECT_EQ(Pixel(102, 80), kPushed);
    MouseUp({110, 80});
    v->SetValue(0);  // at min no span
    v->EnableWindow(false);
    m_host->UpdateWindow();
    EXPECT_EQ(Pixel(110, 120), kRail);
    EXPECT_EQ(Pixel(102, 137), kDisabled);
}

TEST_F(SliderTest, ClicksJumpToThePointAtBothEndsAndNotifyAtOnce) {
    Open();
    const struct {
        CPoint pt;
        int value;
    } clicks[] = {{{110, 134}, 0}, {{110, 25}, 100}, {{110, 30}, 96}, {{110, 21}, 100}, {{110, 139}, 0}};
    int count = 0;
    for (const auto& c : clicks) {
        Click(c.pt);
        EXPECT_EQ(v->GetValue(), c.value) << c.pt.y;
        EXPECT_EQ(vlog.count, ++count);
        EXPECT_EQ(vlog.lastPos, c.value);
        EXPECT_EQ(vlog.lastCode, 2);
    }
    Click({16, 170});
    EXPECT_EQ(h->GetValue(), 0);
    Click({129, 170});
    EXPECT_EQ(h->GetValue(), 100);
    EXPECT_EQ(hlog.count, 2);
}

TEST_F(SliderTest, DraggingTheThumbNotifiesOnlyChanges) {
    Open();
    MouseDown({70, 170});  // on the thumb
    EXPECT_EQ(hlog.count, 0);
    MouseMove({81, 170});
    EXPECT_EQ(h->GetValue(), 60);
    EXPECT_EQ(hlog.count, 1);
    MouseMove({81, 175});
    EXPECT_EQ(hlog.count, 1);
    MouseMove({500, 170});
    EXPECT_EQ(h->GetValue(), 100);
    MouseMove({-500, 170});
    EXPECT_EQ(h->GetValue(), 0);
    MouseUp({-500, 170});
    EXPECT_EQ(hlog.count, 3);
    // Vertical: up is more.
    MouseDown({110, 80});
    MouseMove({110, 69});
    EXPECT_EQ(v->GetValue(), 60);
    MouseUp({110, 69});
}

TEST_F(SliderTest, KeysAndWheelStepAndNotify) {
    Open();
    v->SetFocus();
    const struct {
        UINT vk;
        int value;
    } steps[] = {{VK_HOME, 100}, {VK_UP, 100}, {VK_PRIOR, 100}, {VK_END, 0}, {VK_DOWN, 0},
                 {VK_PRIOR, 20}, {VK_NEXT, 0},  {VK_RIGHT, 1},   {VK_LEFT, 0}};
    int count = 0;
    for (const auto& s : steps) {
        Key(s.vk);
        EXPECT_EQ(v->GetValue(), s.value) << s.vk;
        EXPECT_EQ(vlog.count, ++count);
    }
    Wheel(120, {50, 170});
    EXPECT_TRUE(h->IsFocused());
    EXPECT_EQ(h->GetValue(), 51);
    Wheel(-240, {50, 170});
    EXPECT_EQ(h->GetValue(), 50);
    EXPECT_EQ(hlog.count, 2);
}

TEST_F(SliderTest, ARailWithoutLengthIgnoresClicksAndDrags) {
    Open(R"(<qvslider name="n" pos="200,10,@10,@20" thumbSkin="hthumb" bkgndSkin="hrail" max="100" value="30"/>)");
    auto* n = Find<QvSlider>(u"n");
    EventLog log;
    log.Attach(n, EVT_SLIDER_POS);
    MouseDown({205, 20});
    MouseMove({290, 20});
    MouseUp({290, 20});
    EXPECT_EQ(n->GetValue(), 30);
    EXPECT_EQ(log.count, 0);
}

TEST_F(SliderTest, ThePopupShowsTheValueBesideTheHoveredOrDraggedThumb) {
    Open();
    MouseMove({110, 80});
    SSimpleToolTip* popup = SSimpleToolTip::Current();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(popup->IsWindowVisible());
    EXPECT_EQ(popup->GetText(), SStringW(u"50"));
    EXPECT_EQ(popup->GetScreenRect().TopLeft(), CPoint(100 - 12 - 15, 75 + 5 - 11));
    popup->UpdateWindow();
    EXPECT_EQ(popup->GetFrameBitmap()->GetPixel(3, 3), GetSysColor(COLOR_INFOBK));
    MouseMove({110, 30});  // off the thumb
    EXPECT_FALSE(popup->IsWindowVisible());
    MouseDown({110, 80});
    MouseMove({110, 69});
    EXPECT_TRUE(popup->IsWindowVisible());
    EXPECT_EQ(popup->GetText(), SStringW(u"60"));
    MouseUp({110, 69});
    MouseMove({110, 30});
    EXPECT_FALSE(popup->IsWindowVisible());
    // The horizontal slider has no showPercent: it never shows the popup.
    MouseMove({70, 170});
    MouseDown({70, 170});
    MouseMove({90, 170});
    MouseUp({90, 170});
    EXPECT_FALSE(popup->IsWindowVisible());
    EXPECT_FALSE(h->HoldsPopup());
}

TEST_F(SliderTest, ThePopupStaysInsideTheWorkArea) {
    Open();
    const CRect area = GetDisplayBackend().GetWorkArea();
    m_host->SetWindowPos(CRect(area.right - 80, area.bottom - 60, area.right + 220, area.bottom + 140));
    MouseMove({110, 80});
    SSimpleToolTip* popup = SSimpleToolTip::Current();
    ASSERT_NE(popup, nullptr);
    const CRect rc = popup->GetScreenRect();
    EXPECT_LE(rc.right, area.right);
    EXPECT_LE(rc.bottom, area.bottom);
    EXPECT_GT(rc.Width(), 10);
}

TEST_F(SliderTest, ThePopupLivesAsLongAsASliderHoldsIt) {
    Open(R"(<qvslider name="w" pos="150,20,@20,@120" vertical="1" thumbSkin="vthumb" bkgndSkin="vrail" max="100" value="50" showPercent="1"/>)");
    auto* w = Find<QvSlider>(u"w");
    MouseMove({110, 80});
    MouseMove({160, 80});
    SSimpleToolTip* popup = SSimpleToolTip::Current();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->GetRefCount(), 2);
    h->DestroyWindow();  // holds none: nothing released
    EXPECT_EQ(popup->GetRefCount(), 2);
    v->DestroyWindow();
    EXPECT_EQ(SSimpleToolTip::Current(), popup);
    EXPECT_EQ(popup->GetRefCount(), 1);
    w->DestroyWindow();
    EXPECT_EQ(SSimpleToolTip::Current(), nullptr);
}

class Slider2Test : public SliderTest {
protected:
    void OpenCentred() {
        CreateHost(R"(<qvslider name="x" pos="10,10,@20,@20"/>)");
        s = new QvSlider2();
        m_host->InsertChild(s);
        ASSERT_TRUE(s->InitFromXml(Doc(R"(<qvslider2 pos="100,20,@20,@120" vertical="1" thumbSkin="vthumb" bkgndSkin="vrail" )"
                                       R"(posSkin="span" min="-10" max="10" selectPos="0" showPercent="1"/>)")));
        m_host->UpdateLayout();
    }
    pugi::xml_node Doc(const char* xml) {
        doc.load_string(xml);
        return doc.first_child();
    }
    pugi::xml_document doc;
    QvSlider2* s = nullptr;
};

// Either way the span ends at the mark (80): the halves meet there.
TEST_F(Slider2Test, FillsFromTheMarkToTheThumbEitherWay) {
    OpenCentred();
    s->SetValue(5);
    EXPECT_EQ(s->SpanRect(), CRect(107, 53, 113, 80));
    Redraw();
    EXPECT_EQ(Pixel(110, 65), kSpan);
    EXPECT_EQ(Pixel(110, 100), kRail);
    s->SetValue(-5);
    EXPECT_EQ(s->SpanRect(), CRect(107, 80, 113, 108));
    Redraw();
    EXPECT_EQ(Pixel(110, 100), kSpan);
    EXPECT_EQ(Pixel(110, 65), kRail);
    s->SetRange(3, 3);
    EXPECT_TRUE(s->SpanRect().IsRectEmpty());
}

TEST_F(Slider2Test, KeysShowThePopupUntilTheFocusGoes) {
    OpenCentred();
    s->SetFocus();
    Key('A');  // a key it does not use still shows the value
    EXPECT_TRUE(s->IsPopupShown());
    SSimpleToolTip* popup = SSimpleToolTip::Current();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(popup->IsWindowVisible());
    EXPECT_EQ(popup->GetText(), SStringW(u"0"));
    Find<QvSlider>(u"x")->SetFocus();
    EXPECT_FALSE(s->IsPopupShown());
    EXPECT_FALSE(popup->IsWindowVisible());
    EXPECT_FALSE(s->IsFocused());  // never taken back
    Wheel(120, {110, 60});
    EXPECT_TRUE(s->IsFocused());
    EXPECT_EQ(s->GetValue(), 1);
    EXPECT_TRUE(popup->IsWindowVisible());
    MouseMove({250, 150});  // the mouse leaves: focus and popup go
    EXPECT_FALSE(s->IsFocused());
    EXPECT_FALSE(popup->IsWindowVisible());
}

}  // namespace
}  // namespace qv::controls
