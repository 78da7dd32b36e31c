// Every control of the plug-in in a real window under a private Xvfb with
// the SDL2 backend. The screenshot, artifacts/controls/gallery.png, is for
// people to look at; the test checks that it shows what the controls draw.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "XScreen.h"
#include "XvfbServer.h"
#include "controls/CTipWnd.h"
#include "controls/PluginControls.h"
#include "controls/QvEQ.h"
#include "controls/QvSlider2.h"
#include "controls/SGifPlayer.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SHostWnd.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/controls/SScrollView.h"
#include "platform/ui/controls/StandardControls.h"
#include "platform/ui/sdl/SdlDisplay.h"

// libdbus (SDL's link to the session bus) keeps a buffer for the process's
// life on purpose.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

namespace qv::controls {
namespace {

using namespace qv::ui;

using qv::test::RunFor;

// The accent blue, also seen through the knob's faint track.
bool IsAccent(std::uint32_t rgb) {
    const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return b > 150 && b > r + 80 && g > r + 40;
}

class GalleryTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!m_xvfb.Start()) GTEST_SKIP() << "Xvfb is not available";
        setenv("DISPLAY", m_xvfb.Display().c_str(), 1);
        m_app = std::make_unique<SApplication>(nullptr);
        RegisterStandardControls(m_app->GetWindowFactory());
        RegisterPluginControls(m_app->GetWindowFactory(), m_app->GetSkinFactory());
        ASSERT_TRUE(m_app->AddResProvider(nullptr, u"uidef:xml_init"));
        SetDisplayBackend(&m_display);
    }
    void TearDown() override {
        ClosePluginPopups();
        SetDisplayBackend(nullptr);
        RunFor(0);
        m_app.reset();
        qv::os::DestroyThreadQueue();
        SRenderTarget::ReleaseThreadFontCache();
    }

    // Fills the parts the layout cannot: the centre-mark sliders and the
    // equaliser's bands.
    void Populate(SHostWnd& host) {
        SWindow* area = host.FindChildByName(u"slider2_area");
        ASSERT_NE(area, nullptr);
        pugi::xml_document doc;
        doc.load_string(R"(<s pos="0,0,@16,@100" vertical="1" thumbSkin="skin_slider_thumb" bkgndSkin="skin_slider_rail"
                              posSkin="skin_slider_span" min="-10" max="10" selectPos="0"/>)");
        for (int value : {-6, 6}) {
            auto* slider = new QvSlider2();
            area->InsertChild(slider);
            slider->InitFromXml(doc.first_child());
            slider->SetAttribute(u"pos", value < 0 ? u"4,0,@16,@100" : u"34,0,@16,@100", false);
            slider->SetValue(value);
        }
        auto* eq = host.FindChildByName2<QvEQ>(u"eq");
        ASSERT_NE(eq, nullptr);
        const double freqs[] = {31, 62, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
        const double gains[] = {2, 3, 1.5, 0, -2, 12, 4, -4, -6, 3};
        for (int i = 0; i < 10; ++i) eq->AddBand(gains[i], freqs[i], 1.7);
        eq->UpdateFromModel();
        eq->SetBandGain(5, 12);  // the +12 dB band shows selected
        auto* list = host.FindChildByName2<SScrollView>(u"list");
        ASSERT_NE(list, nullptr);
        host.UpdateWindow();  // laid out: the list knows its content
        list->SetScrollPos(true, 60);
    }

    qv::test::XvfbServer m_xvfb;
    std::unique_ptr<SApplication> m_app;
    sdl::SdlDisplay m_display;
};

TEST_F(GalleryTest, EveryControlShowsInBothStatesInARealWindow) {
    const CRect rc(10, 10, 630, 470);
    SHostWnd host(u"LAYOUT:XML_GALLERY");
    ASSERT_NE(host.Create(nullptr), nullptr);
    Populate(host);
    host.SetWindowPos(rc);
    host.ShowWindow(SW_SHOW);
    RunFor(400);
    ASSERT_TRUE(CTipWnd::ShowTipAtNamedCtrl(u"busy", &host, u"保存成功！"));
    RunFor(300);

    qv::test::XScreen screen(m_xvfb.Display());
    const std::vector<std::uint32_t> shot = screen.Grab(rc);
    ASSERT_EQ(shot.size(), static_cast<std::size_t>(rc.Width() * rc.Height()));
    EXPECT_TRUE(screen.SaveShot(rc, "controls/gallery.png"));
    auto at = [&](int x, int y) { return shot[static_cast<std::size_t>(y * rc.Width() + x)]; };
    // The full knob's value arc on the left, the empty knob's track there.
    EXPECT_TRUE(IsAccent(at(158 + 4, 10 + 32))) << std::hex << at(162, 42);
    EXPECT_FALSE(IsAccent(at(10 + 4, 10 + 32))) << std::hex << at(14, 42);
    // The checked switch is the accent, the unchecked one is not.
    EXPECT_TRUE(IsAccent(at(476 + 8, 12 + 10))) << std::hex << at(484, 22);
    EXPECT_FALSE(IsAccent(at(430 + 28, 12 + 10))) << std::hex << at(458, 22);
    // The list's bar is the skin's: a thumb without arrows at the right edge.
    auto* list = host.FindChildByName2<SScrollView>(u"list");
    EXPECT_EQ(list->GetScrollPos(true), 60);
    EXPECT_EQ(list->GetScrollBarRect(true).Width(), 8);

    // The animation plays: its corner of the screen changes.
    const CRect busy(rc.left + 430, rc.top + 140, rc.left + 450, rc.top + 160);
    const std::vector<std::uint32_t> first = screen.Grab(busy);
    bool changed = false;
    for (int i = 0; i < 10 && !changed; ++i) {
        RunFor(50);
        changed = screen.Grab(busy) != first;
    }
    EXPECT_TRUE(changed);
    EXPECT_TRUE(host.FindChildByName2<SGifPlayer>(u"busy")->IsPlaying());
    host.DestroyWindow();
}

}  // namespace
}  // namespace qv::controls
