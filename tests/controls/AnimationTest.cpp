#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>

#include "controls/SGifPlayer.h"
#include "controls/SSkinGif.h"
#include "controls/SSkinVScrollbar.h"
#include "platform/os/MessageQueue.h"
#include "tests/controls/GifMaker.h"
#include "tests/controls/PluginControlTest.h"
#include "tests/ui/UiTestEnv.h"

namespace qv::controls {
namespace {

using namespace qv::ui;
using test::GifFrameSpec;
using test::MakeGif;

constexpr COLORREF kRed = RGBA(255, 0, 0, 255);
constexpr COLORREF kGreen = RGBA(0, 255, 0, 255);
constexpr COLORREF kBlue = RGBA(0, 0, 255, 255);

std::unique_ptr<SSkinGif> GifSkin(const std::vector<GifFrameSpec>& frames) {
    auto skin = std::make_unique<SSkinGif>();
    const std::vector<std::uint8_t> bytes = MakeGif(8, 6, frames);
    EXPECT_EQ(skin->LoadFramesFromMemory(bytes.data(), bytes.size()), static_cast<int>(frames.size()));
    return skin;
}

TEST(SkinGif, FramesCarryTheirDelaysAndTheFirstFrameGivesTheSize) {
    auto skin = GifSkin({{255, 0, 0, 5}, {0, 255, 0, -1}, {0, 0, 255, 12}});
    EXPECT_TRUE(skin->IsClass(u"skinani"));
    EXPECT_EQ(skin->GetStates(), 3);
    EXPECT_EQ(skin->GetSkinSize(), CSize(8, 6));
    EXPECT_EQ(skin->GetFrameDelay(0), 5);
    EXPECT_EQ(skin->GetFrameDelay(1), 0);  // none given
    EXPECT_EQ(skin->GetFrameDelay(2), 12);
    EXPECT_EQ(skin->GetFrameDelay(3), 0);
    SRenderTarget rt(16, 12);
    skin->DrawFrame(rt, CRect(0, 0, 16, 12), 2);
    EXPECT_EQ(rt.GetPixel(15, 11), kBlue);
    skin->DrawFrame(rt, CRect(0, 0, 16, 12), 3);  // no such frame: the current one
    EXPECT_EQ(skin->GetCurrentFrame(), 2);
    skin->DrawFrame(rt, CRect(0, 0, 16, 12), -5);
    EXPECT_EQ(skin->GetCurrentFrame(), 2);
    skin->DrawFrame(rt, CRect(0, 0, 16, 12), -1);  // -1: the current one
    EXPECT_EQ(rt.GetPixel(0, 0), kBlue);
    // Damaged or empty data loads nothing and keeps what was there.
    const std::uint8_t junk[] = {'G', 'I', 'F', '8', '9', 'a', 1, 2, 3};
    EXPECT_EQ(skin->LoadFramesFromMemory(junk, sizeof junk), 0);
    EXPECT_EQ(skin->LoadFramesFromMemory(nullptr, 0), 0);
    EXPECT_EQ(skin->GetStates(), 3);
    SSkinAni bare;
    EXPECT_EQ(bare.GetSkinSize(), CSize());
    bare.DrawFrame(rt, CRect(0, 0, 4, 4), 0);  // nothing to draw
}

TEST(VScrollbarSkin, PartsComeFromTheColumnOfTheStateAndTheRowOfThePart) {
    SSkinVScrollbar skin;
    EXPECT_EQ(skin.ScrollIdealWidth(), 0);
    EXPECT_TRUE(skin.ScrollPartRect(SBP_THUMB, 0, true).IsRectEmpty());
    skin.SetImage(SBitmap::Create(80, 40));
    EXPECT_FALSE(skin.ScrollHasArrows());
    EXPECT_EQ(skin.ScrollIdealWidth(), 20);
    EXPECT_EQ(skin.ScrollPartRect(SBP_THUMB, 2, true), CRect(40, 0, 60, 20));
    EXPECT_EQ(skin.ScrollPartRect(SBP_PAGEUP, 0, true), CRect(0, 20, 20, 40));
    EXPECT_EQ(skin.ScrollPartRect(SBP_PAGEDOWN, 3, true), CRect(60, 20, 80, 40));
    EXPECT_EQ(skin.ScrollPartRect(SBP_THUMB, SBS_INACTIVE, true), CRect(0, 0, 20, 20));  // not declared
    EXPECT_EQ(skin.ScrollPartRect(SBP_THUMB, 9, true), CRect(60, 0, 80, 20));
    for (int part : {SBP_LINEUP, SBP_LINEDOWN, SBP_CORNER, SBP_GRIPPER}) {
        EXPECT_TRUE(skin.ScrollPartRect(part, 0, true).IsRectEmpty()) << part;
    }
    EXPECT_TRUE(skin.ScrollPartRect(SBP_THUMB, 0, false).IsRectEmpty());
    EXPECT_EQ(skin.SetAttribute(u"states", u"0", true), E_FAIL);
    skin.SetAttribute(u"states", u"5", true);
    skin.SetAttribute(u"hasInactive", u"1", true);
    skin.SetImage(SBitmap::Create(100, 40));
    EXPECT_EQ(skin.ScrollPartRect(SBP_THUMB, SBS_INACTIVE, true), CRect(80, 0, 100, 20));
}

using SkinTest = test::PluginControlTest;

TEST_F(SkinTest, SrcNamesATypedResourceOrAGifByName) {
    // "IMG:image_ani_busy", as the skin's busy animation names it.
    ISkinObj* busy = m_app->GetSkin(u"skin_ani_busy");
    ASSERT_NE(busy, nullptr);
    EXPECT_EQ(busy->GetStates(), 8);
    SSkinGif bare;
    EXPECT_EQ(bare.SetAttribute(u"src", u"test_spin", true), S_OK);
    EXPECT_EQ(bare.GetStates(), 8);
    EXPECT_EQ(bare.GetFrameDelay(3), 8);
    SSkinGif missing;
    EXPECT_EQ(missing.SetAttribute(u"src", u"gif:no_such", true), S_OK);
    EXPECT_EQ(missing.GetStates(), 0);
}

class GifPlayerTest : public test::PluginControlTest {
protected:
    void SetUp() override {
        qv::os::SetClock(&clock);
        PluginControlTest::SetUp();
    }
    void TearDown() override {
        PluginControlTest::TearDown();
        qv::os::SetClock(nullptr);
    }
    void AddGif(const char16_t* name, const std::vector<GifFrameSpec>& frames) {
        m_app->GetSkinPool().AddSkin(name, GifSkin(frames));
    }
    // Steps the timeline until the frame changes; returns the milliseconds.
    int MsUntilNextFrame(SGifPlayer* player) {
        const int frame = player->GetFrame();
        for (int ms = 10; ms <= 2000; ms += 10) {
            clock.Step(10);
            while (qv::os::PumpOneMessage()) {
            }
            if (player->GetFrame() != frame) return ms;
        }
        return -1;
    }
    qv::ui::test::SteppedClock clock;
};

TEST_F(GifPlayerTest, EachFrameShowsForItsOwnDelay) {
    AddGif(u"five", {{255, 0, 0, 5}, {0, 255, 0, 5}});
    AddGif(u"none", {{255, 0, 0, 0}, {0, 255, 0, -1}});
    AddGif(u"mixed", {{255, 0, 0, 2}, {0, 255, 0, 7}, {0, 0, 255, 0}});
    CreateHost(R"(<gifplayer name="a" pos="0,0,@16,@12" skin="five"/><gifplayer name="b" pos="20,0,@16,@12" skin="none"/>
                  <gifplayer name="c" pos="40,0" skin="mixed"/>)");
    auto* a = Find<SGifPlayer>(u"a");
    auto* b = Find<SGifPlayer>(u"b");
    auto* c = Find<SGifPlayer>(u"c");
    EXPECT_TRUE(a->IsPlaying());
    EXPECT_EQ(c->GetWindowRect().Size(), CSize(8, 6));  // sized to its frames
    EXPECT_EQ(MsUntilNextFrame(a), 50);
    EXPECT_EQ(MsUntilNextFrame(a), 50);
    EXPECT_EQ(a->GetFrame(), 0);
    EXPECT_EQ(b->SetAttribute(u"skin", u"none", false), S_FALSE);  // from its first frame
    EXPECT_EQ(MsUntilNextFrame(b), 90);
    EXPECT_EQ(MsUntilNextFrame(b), 90);
    // c from its first frame again.
    EXPECT_EQ(c->SetAttribute(u"skin", u"mixed", false), S_FALSE);
    EXPECT_EQ(MsUntilNextFrame(c), 20);
    EXPECT_EQ(MsUntilNextFrame(c), 70);
    EXPECT_EQ(MsUntilNextFrame(c), 90);
    EXPECT_EQ(c->GetFrame(), 0);
    m_host->UpdateWindow();
    EXPECT_EQ(Pixel(40, 0), kRed);
    MsUntilNextFrame(c);
    m_host->UpdateWindow();
    EXPECT_EQ(Pixel(47, 5), kGreen);
}

TEST_F(GifPlayerTest, RestsOutOfSightAndWithASingleFrame) {
    AddGif(u"one", {{255, 0, 0, 5}});
    AddGif(u"two", {{255, 0, 0, 5}, {0, 255, 0, 5}});
    m_app->GetSkinPool().AddSkin(u"plain", std::make_unique<SSkinImgList>());
    CreateHost(R"(<window name="page" pos="0,0,-0,-0"><gifplayer name="a" pos="0,0,@16,@12" skin="two"/></window>
                  <gifplayer name="single" pos="20,0,@16,@12" skin="one"/>)");
    auto* a = Find<SGifPlayer>(u"a");
    auto* single = Find<SGifPlayer>(u"single");
    EXPECT_FALSE(single->IsPlaying());
    m_host->UpdateWindow();
    EXPECT_EQ(Pixel(25, 5), kRed);  // drawn all the same
    m_host->FindChildByName(u"page")->SetVisible(false);
    clock.Step(10);
    while (qv::os::PumpOneMessage()) {
    }
    EXPECT_FALSE(a->IsPlaying());
    m_host->FindChildByName(u"page")->SetVisible(true);
    m_host->UpdateWindow();
    EXPECT_TRUE(a->IsPlaying());
    // Skins by attribute: an unknown one is refused, a still one ignored.
    EXPECT_EQ(a->SetAttribute(u"skin", u"missing", false), E_FAIL);
    EXPECT_EQ(a->SetAttribute(u"skin", u"plain", false), S_OK);
    EXPECT_EQ(a->GetAniSkin(), m_app->GetSkin(u"two"));
    MsUntilNextFrame(a);
    EXPECT_EQ(a->SetAttribute(u"skin", u"two", false), S_FALSE);  // set later: from frame 0
    EXPECT_EQ(a->GetFrame(), 0);
    a->SetVisible(false);
    EXPECT_FALSE(a->IsPlaying());
}

TEST_F(GifPlayerTest, PlaysAFileWhenItHasFrames) {
    CreateHost(R"(<gifplayer name="p" pos="0,0"/>)");
    auto* p = Find<SGifPlayer>(u"p");
    EXPECT_EQ(p->GetDesiredSize(), CSize());
    const std::string path = testing::TempDir() + "player.gif";
    const std::vector<std::uint8_t> bytes = MakeGif(8, 6, {{255, 0, 0, 3}, {0, 0, 255, 3}});
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    EXPECT_FALSE(p->PlayFile(testing::TempDir() + "missing.gif"));
    EXPECT_FALSE(p->PlayFile(path, false));  // no "apng" class here
    EXPECT_TRUE(p->PlayFile(path));
    EXPECT_TRUE(p->IsPlaying());
    m_host->UpdateWindow();
    EXPECT_EQ(p->GetWindowRect().Size(), CSize(8, 6));
    EXPECT_EQ(MsUntilNextFrame(p), 30);
    std::remove(path.c_str());
}

}  // namespace
}  // namespace qv::controls
