// The drop-down combo box open, the car editor during a drag and the tab
// bar, in real windows under a private Xvfb with the SDL2 backend. The
// screenshots (artifacts/controls/combo_open.png, car_drag.png, tab_bar.png)
// are for people to look at; the tests check what they must show.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>

#include "XScreen.h"
#include "XvfbServer.h"
#include "controls/PluginControls.h"
#include "controls/QvCar.h"
#include "controls/QvCarCurve.h"
#include "controls/QvCarGrid.h"
#include "controls/QvCarThumb.h"
#include "controls/QvComboBox.h"
#include "controls/SChromeTab.h"
#include "controls/SChromeTabCtrl.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SHostWnd.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SSkin.h"
#include "platform/ui/controls/StandardControls.h"
#include "platform/ui/sdl/SdlDisplay.h"

// GalleryTest.cpp, in the same executable, tells the leak checker about libdbus.

namespace qv::controls {
namespace {

using namespace qv::ui;
using qv::test::RunFor;

constexpr COLORREF kPanel = RGBA(0x2A, 0x2C, 0x33, 255);
constexpr COLORREF kLine = RGBA(0x3A, 0x3D, 0x46, 255);
constexpr COLORREF kText = RGBA(0xE6, 0xE8, 0xEE, 255);
constexpr COLORREF kSecondary = RGBA(0x9A, 0xA0, 0xAE, 255);
constexpr COLORREF kAccent = RGBA(0x3D, 0xA9, 0xFC, 255);
constexpr COLORREF kError = RGBA(0xE5, 0x48, 0x4D, 255);

bool IsAccent(std::uint32_t rgb) {
    const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return b > 200 && r < 100 && g > 140 && g < 200;
}

class EditorScreensTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!m_xvfb.Start()) GTEST_SKIP() << "Xvfb is not available";
        setenv("DISPLAY", m_xvfb.Display().c_str(), 1);
        m_app = std::make_unique<SApplication>(nullptr);
        RegisterStandardControls(m_app->GetWindowFactory());
        RegisterPluginControls(m_app->GetWindowFactory(), m_app->GetSkinFactory());
        // As a host that uses them registers them.
        SWindowFactory& f = m_app->GetWindowFactory();
        f.RegisterClass<QvComboBox>();
        f.RegisterClass<QvCar>();
        f.RegisterClass<QvCarGrid>();
        f.RegisterClass<QvCarCurve>();
        f.RegisterClass<QvCarThumb>();
        f.RegisterClass<SChromeTabCtrl>();
        f.RegisterClass<SChromeTab>();
        ASSERT_TRUE(m_app->AddResProvider(nullptr, u"uidef:xml_init"));
        AddShotSkins();
        SetDisplayBackend(&m_display);
        m_screen = std::make_unique<qv::test::XScreen>(m_xvfb.Display());
    }
    void TearDown() override {
        if (m_host) m_host->DestroyWindow();
        m_host.reset();
        m_screen.reset();
        SetDisplayBackend(nullptr);
        RunFor(0);
        m_app.reset();
        qv::os::DestroyThreadQueue();
        SRenderTarget::ReleaseThreadFontCache();
    }

    using FrameDraw = std::function<void(SRenderTarget&, const CRect&, int frame)>;
    // An image-list skin of `states` frames, each drawn by the function.
    void AddDrawnSkin(const char16_t* name, CSize frame, int states, const FrameDraw& draw) {
        SRenderTarget rt(frame.cx * states, frame.cy);
        rt.Clear(RGBA(0, 0, 0, 0));
        for (int i = 0; i < states; ++i) draw(rt, CRect(CPoint(i * frame.cx, 0), frame), i);
        auto skin = std::make_unique<SSkinImgList>();
        skin->SetImage(rt.GetBitmap());
        skin->SetAttribute(u"states", SStringW::Format(u"%d", states), true);
        m_app->GetSkinPool().AddSkin(name, std::move(skin));
    }
    // The skins the screens use, in the skin's palette: the combo's drop
    // arrow, a tab (four states, then the same selected) and a close cross.
    void AddShotSkins() {
        AddDrawnSkin(u"skin_shot_drop", CSize(28, 28), 4, [](SRenderTarget& rt, const CRect& rc, int f) {
            const CPoint c = rc.CenterPoint();
            const PointF tri[3] = {{c.x - 5.f, c.y - 2.f}, {c.x + 5.f, c.y - 2.f}, {float(c.x), c.y + 4.f}};
            SBrush old = rt.SelectBrush(SBrush{f == 3 ? kLine : f == 0 ? kSecondary : kAccent});
            rt.FillPolygon(tri, 3);
            rt.SelectBrush(old);
        });
        AddDrawnSkin(u"skin_shot_tab", CSize(40, 36), 8, [](SRenderTarget& rt, const CRect& rc, int f) {
            const int state = f % 4;
            const bool selected = f >= 4;
            rt.FillSolidRect(rc, selected ? kLine : state == 1 ? RGBA(0x34, 0x37, 0x40, 255) : kPanel);
            rt.FillSolidRect(CRect(rc.right - 1, rc.top + 8, rc.right, rc.bottom - 8), kLine);
            if (selected) rt.FillSolidRect(CRect(rc.left, rc.bottom - 3, rc.right, rc.bottom), kAccent);
        });
        AddDrawnSkin(u"skin_shot_close", CSize(16, 16), 4, [](SRenderTarget& rt, const CRect& rc, int f) {
            if (f == 1 || f == 2) {
                SBrush old = rt.SelectBrush(SBrush{kError});
                rt.FillEllipse(rc);
                rt.SelectBrush(old);
            }
            const SPen old = rt.SelectPen(SPen{f == 0 ? kSecondary : kText, 1.5f, PenStyle::Solid});
            rt.DrawLine({rc.left + 4.5f, rc.top + 4.5f}, {rc.right - 4.5f, rc.bottom - 4.5f});
            rt.DrawLine({rc.right - 4.5f, rc.top + 4.5f}, {rc.left + 4.5f, rc.bottom - 4.5f});
            rt.SelectPen(old);
        });
    }
    SHostWnd* Show(const char16_t* layout, const CRect& rc) {
        m_host = std::make_unique<SHostWnd>(layout);
        EXPECT_NE(m_host->Create(nullptr), nullptr);
        m_host->SetWindowPos(rc);
        m_host->ShowWindow(SW_SHOW);
        RunFor(300);
        return m_host.get();
    }
    // The pointer pressed at one screen point and moved to another in steps.
    void PressAndMove(CPoint from, CPoint to) {
        m_screen->MoveTo(from);
        RunFor(80);
        m_screen->Button(true);
        RunFor(80);
        for (int i = 1; i <= 8; ++i) {
            m_screen->MoveTo(CPoint(from.x + (to.x - from.x) * i / 8, from.y + (to.y - from.y) * i / 8));
            RunFor(40);
        }
        RunFor(200);
    }

    qv::test::XvfbServer m_xvfb;
    std::unique_ptr<SApplication> m_app;
    sdl::SdlDisplay m_display;
    std::unique_ptr<qv::test::XScreen> m_screen;
    std::unique_ptr<SHostWnd> m_host;
};

TEST_F(EditorScreensTest, ComboBoxOpensItsListBelowIt) {
    const CRect rc(40, 40, 340, 280);
    SHostWnd* host = Show(u"LAYOUT:XML_COMBO_SHOT", rc);
    auto* combo = host->FindChildByName2<QvComboBox>(u"preset");
    ASSERT_NE(combo, nullptr);
    const CPoint button = combo->GetDropButtonRect().CenterPoint();
    m_screen->MoveTo(CPoint(rc.left + button.x, rc.top + button.y));
    RunFor(80);
    m_screen->Button(true);
    m_screen->Button(false);
    RunFor(300);
    ASSERT_TRUE(combo->IsDropped());
    // Hover the third item so the list shows its tracking.
    const CRect combos = combo->GetWindowRect();
    m_screen->MoveTo(CPoint(rc.left + combos.left + 60, rc.top + combos.bottom + 2 + 26 * 2 + 13));
    RunFor(300);
    EXPECT_TRUE(m_screen->SaveShot(rc, "controls/combo_open.png"));
    // The drop-down lies below the combo, over the host's background.
    const auto below = m_screen->Grab(CRect(rc.left + combos.left + 4, rc.top + combos.bottom + 1,
                                            rc.left + combos.left + 5, rc.top + combos.bottom + 120));
    ASSERT_EQ(below.size(), 119u);
    int panel = 0;
    for (std::uint32_t p : below) panel += p != 0x1E1F24;
    EXPECT_GT(panel, 100);
    combo->CloseUp();
}

TEST_F(EditorScreensTest, CarEditorDuringADragShowsItsGuidesAndDelays) {
    const CRect rc(10, 10, 470, 470);
    SHostWnd* host = Show(u"LAYOUT:XML_CAR_SHOT", rc);
    auto* car = host->FindChildByName2<QvCar>(u"car");
    ASSERT_NE(car, nullptr);
    // Front left and right, rear left and right; the listener on the driver's seat.
    const CPoint speakers[] = {{150, 2350}, {1675, 2350}, {150, 250}, {1675, 250}};
    car->SetSpeakers(speakers, 4, 500, 1300);
    host->UpdateWindow();
    RunFor(200);
    const CPoint thumb = host->FindChildByName(u"s4")->GetWindowRect().CenterPoint();
    PressAndMove(CPoint(rc.left + thumb.x, rc.top + thumb.y), CPoint(rc.left + thumb.x - 20, rc.top + thumb.y - 40));
    ASSERT_TRUE(host->FindChildByName(u"curve")->IsVisible());
    ASSERT_TRUE(host->FindChildByName(u"car_pos_tip")->IsVisible());
    EXPECT_TRUE(m_screen->SaveShot(rc, "controls/car_drag.png"));
    // The sound-space circle is drawn, dotted, in the accent colour.
    const CRect circle = car->GetSoundSpace();
    const CPoint top(rc.left + circle.CenterPoint().x, rc.top + circle.top);
    const auto column = m_screen->Grab(CRect(top.x - 6, top.y - 2, top.x + 6, top.y + 3));
    bool accent = false;
    for (std::uint32_t p : column) accent = accent || IsAccent(p);
    EXPECT_TRUE(accent);
    m_screen->Button(false);
    RunFor(100);
}

TEST_F(EditorScreensTest, TabBarShowsItsTabsTheSelectionAndTheButtons) {
    const CRect rc(10, 20, 630, 100);
    SHostWnd* host = Show(u"LAYOUT:XML_TABS_SHOT", rc);
    auto* bar = host->FindChildByName2<SChromeTabCtrl>(u"bar");
    ASSERT_NE(bar, nullptr);
    bar->SetCurSel(1);
    // Hover the third tab's close button.
    const CRect close = bar->GetTab(2)->GetWindow(GSW_FIRSTCHILD)->GetWindowRect();
    m_screen->MoveTo(CPoint(rc.left + close.CenterPoint().x, rc.top + close.CenterPoint().y));
    RunFor(400);
    EXPECT_TRUE(m_screen->SaveShot(rc, "controls/tab_bar.png"));
    // Four tabs of 150 do not quite fit beside the 32-pixel button: 147 each.
    EXPECT_EQ(bar->GetTab(3)->GetWindowRect().right, 588);
    const CRect selected = bar->GetTab(1)->GetWindowRect();
    const auto underline = m_screen->Grab(CRect(rc.left + selected.left + 10, rc.top + selected.bottom - 2,
                                                rc.left + selected.right - 10, rc.top + selected.bottom - 1));
    ASSERT_FALSE(underline.empty());
    for (std::uint32_t p : underline) EXPECT_TRUE(IsAccent(p)) << std::hex << p;
    EXPECT_EQ(bar->GetTab(3)->GetChildrenCount(), 0);  // allowClose="0"
}

}  // namespace
}  // namespace qv::controls
