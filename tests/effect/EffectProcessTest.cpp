// The real program (quorvel with a dorbII.so that carries a test firmware
// image) against cardsim on a private X server: the main window with the
// card's values, and a card found in update mode upgraded from the start-up
// question to the card's return. Screenshots are kept as artifacts.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <thread>
#include <utility>

#include "tests/desktop/XvfbServer.h"
#include "tests/host/HostProcess.h"
#include "tests/mainwnd/CardSimProcess.h"
#include "tests/mainwnd/XClient.h"

namespace qv::test {
namespace {

constexpr const char* kMainTitle = "Quorvel";
constexpr const char* kBoxTitle = "msgbox";
constexpr const char* kUpgradeTitle = "正在升级固件...";

class EffectOnX : public ::testing::Test {
protected:
    void SetUp() override {
        if (!m_x.Start("1280x960")) GTEST_SKIP() << "Xvfb is not available";
        std::filesystem::copy_file(QV_FWTEST_PLUGIN, m_box.Root() + "/app/dorbII.so");
        m_client = std::make_unique<XClient>(m_x.Display());
        ASSERT_TRUE(m_client->Connected());
    }
    void TearDown() override {
        // A program the test left running is ended; one that hangs fails it.
        if (m_pid > 0) m_box.End(m_pid);
    }
    void StartProgram() {
        m_pid = m_box.Start({{"DISPLAY", m_x.Display()}, {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/qv-bus"}});
    }
    // Distinct colours in a part of a window: text shows up as many.
    std::size_t Colours(const ScreenRect& rc) {
        const auto pixels = m_client->Grab(rc);
        return std::set<std::uint32_t>(pixels.begin(), pixels.end()).size();
    }
    // The caption after "Halvena音频", where the product's name goes.
    static ScreenRect TitleTail(const ScreenRect& main) { return {main.x + 130, main.y + 8, 140, 24}; }
    // A box's buttons sit in its bottom row; OK and No at the right, Yes left of No.
    void ClickBoxButton(const ScreenRect& box, int fromRight) { m_client->Click(box.Right() - fromRight + 36, box.Bottom() - 26); }

    XvfbServer m_x;
    HostSandbox m_box;
    CardSimProcess m_card;
    std::unique_ptr<XClient> m_client;
    pid_t m_pid = -1;
};

TEST_F(EffectOnX, TheMainWindowShowsTheCardsValuesAndItsName) {
    ASSERT_TRUE(m_card.Start(m_box.SimSocket(), m_box.Root() + "/cardsim.log"));
    StartProgram();
    const auto main = m_client->WaitForWindow(kMainTitle);
    ASSERT_TRUE(main);
    ASSERT_TRUE(m_card.WaitFor("> 94", 5));
    EXPECT_TRUE(m_client->SaveShot(*main, "effect/main_window.png"));
    EXPECT_GT(Colours(TitleTail(*main)), 4u);  // " - Dorb Ⅱ Pro" is drawn
    // The card's own changes: volumes, an EQ band, a switch, the key.
    const ScreenRect volume{main->x + 312, main->y + 41 + 10, 508, 158};
    const auto before = m_client->Grab(volume);
    ASSERT_TRUE(m_card.Command("notify 0=1 1=8 2=2 3=7 9=10 25=24 26=0 10=0 19=9"));
    ASSERT_TRUE(m_card.WaitFor("< 9E"));
    ASSERT_TRUE(m_card.WaitFor("> 9F"));
    bool changed = false;
    for (int i = 0; i < 100 && !changed; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        changed = m_client->Grab(volume) != before;
    }
    EXPECT_TRUE(changed);
    EXPECT_TRUE(m_client->SaveShot(*main, "effect/main_window_card_values.png"));
    ASSERT_TRUE(m_card.Command("status"));
    EXPECT_TRUE(m_card.WaitFor("  param 1 = 8"));
}

TEST_F(EffectOnX, ACardInUpdateModeIsUpgradedFromTheStartUpQuestion) {
    // The program ran this family last: its plug-in takes the card in update mode.
    std::filesystem::create_directories(m_box.AppDataFolder());
    std::ofstream(m_box.AppDataFolder() + "/modulecfg.ini") << "[Module]\nname=dorbII.so\n";
    ASSERT_TRUE(m_card.Start(m_box.SimSocket(), m_box.Root() + "/cardsim.log", {"--update", "--upgraded-version", "16"}));
    StartProgram();
    const auto main = m_client->WaitForWindow(kMainTitle);
    ASSERT_TRUE(main);
    const auto question = m_client->WaitForWindow(kBoxTitle);
    ASSERT_TRUE(question);
    EXPECT_TRUE(m_client->SaveShot(*main, "effect/main_window_update_mode.png"));
    EXPECT_LE(Colours(TitleTail(*main)), 4u);  // no product name: the card cannot be used
    EXPECT_TRUE(m_client->SaveShot(*question, "effect/upgrade_question.png"));
    ClickBoxButton(*question, 168);  // 是

    const auto busy = m_client->WaitForWindow(kUpgradeTitle);
    ASSERT_TRUE(busy);
    EXPECT_EQ(busy->width, 400);
    EXPECT_EQ(busy->height, 240);
    EXPECT_TRUE(m_client->SaveShot(*busy, "effect/upgrade_firmware.png", 8));
    ASSERT_TRUE(m_card.WaitFor("> 28", 2048, 30000));
    ASSERT_TRUE(m_card.WaitFor("> 2A", 1, 15000));
    ASSERT_TRUE(m_card.WaitFor("cardsim: plugged, product 0x0036", 1, 15000));
    ASSERT_TRUE(m_card.WaitFor("> 26", 1, 15000));

    const auto done = m_client->WaitForWindow(kBoxTitle);
    ASSERT_TRUE(done);
    EXPECT_TRUE(m_client->WaitUntilGone(kUpgradeTitle));
    EXPECT_TRUE(m_client->SaveShot(*done, "effect/upgrade_done.png"));
    EXPECT_GE(m_card.Count("> 90 00 00 00 01"), 1);
    EXPECT_GE(m_card.Count("> 94"), 5);
    ClickBoxButton(*done, 88);  // 确定
    ASSERT_TRUE(m_client->WaitUntilGone(kBoxTitle));
    EXPECT_TRUE(m_client->SaveShot(*main, "effect/main_window_upgraded.png"));
    EXPECT_GT(Colours(TitleTail(*main)), 4u);
    ASSERT_TRUE(m_card.Command("status"));
    EXPECT_TRUE(m_card.WaitFor("cardsim: firmware image 65536 bytes in 2048 blocks"));
}

// The save dialogs (dragged by their titles), the preset menu and a tip:
// their rounded corners show what lies beneath them, not black.
TEST_F(EffectOnX, TheSaveDialogsThePresetMenuAndATip) {
    ASSERT_TRUE(m_card.Start(m_box.SimSocket(), m_box.Root() + "/cardsim.log"));
    constexpr std::uint32_t kDesktop = 0x45C46B;
    m_client->PaintRoot(kDesktop);
    StartProgram();
    const auto main = m_client->WaitForWindow(kMainTitle);
    ASSERT_TRUE(main);
    EXPECT_TRUE(m_client->SaveShot(*main, "effect/main_window_before_dialogs.png"));
    // The outermost pixel of each corner of rc: now, and in an earlier grab
    // of the main window.
    auto corners = [](const ScreenRect& rc) {
        return std::vector<std::pair<int, int>>{{rc.x, rc.y}, {rc.Right() - 1, rc.y}, {rc.x, rc.Bottom() - 1}, {rc.Right() - 1, rc.Bottom() - 1}};
    };
    auto shown = [&](const ScreenRect& rc) {
        std::vector<std::uint32_t> pixels;
        for (const auto& [x, y] : corners(rc)) pixels.push_back(m_client->Grab({x, y, 1, 1}).at(0));
        return pixels;
    };
    const std::vector<std::uint32_t> page = m_client->Grab(*main);
    auto beneath = [&](const ScreenRect& rc) {
        std::vector<std::uint32_t> pixels;
        for (const auto& [x, y] : corners(rc)) pixels.push_back(page.at(static_cast<std::size_t>((y - main->y) * main->width + x - main->x)));
        return pixels;
    };
    EXPECT_EQ(shown(*main), std::vector<std::uint32_t>(4, kDesktop));

    // Where the layout puts them: the EQ's save button, the save-effect
    // button and the EQ's first custom preset, in window coordinates.
    const int eqTop = main->y + 41 + 180;
    struct Shot {
        int x, y;
        const char* title;
        const char* file;
    };
    for (const Shot& s : {Shot{main->x + 312 + 716 - 184 + 40, eqTop + 6 + 12, "保存预设", "effect/save_preset.png"},
                          Shot{main->x + 12 + 144, main->y + 41 + 254 + 15, "保存音效", "effect/save_effect.png"}}) {
        SCOPED_TRACE(s.title);
        m_client->Click(s.x, s.y);
        const auto dialog = m_client->WaitForWindow(s.title);
        ASSERT_TRUE(dialog);
        EXPECT_EQ(dialog->width, 400);
        EXPECT_TRUE(m_client->SaveShot(*dialog, s.file));
        EXPECT_EQ(shown(*dialog), beneath(*dialog));
        // Dragged by its title text.
        m_client->Drag(dialog->x + 40, dialog->y + 18, 60, 40);
        std::optional<ScreenRect> moved;
        for (int i = 0; i < 250 && !(moved && moved->x == dialog->x + 60 && moved->y == dialog->y + 40); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            moved = m_client->FindWindow(s.title);
        }
        ASSERT_TRUE(moved && moved->x == dialog->x + 60 && moved->y == dialog->y + 40) << "the dialog did not follow its title";
        EXPECT_EQ(shown(*moved), beneath(*moved));
        m_client->Click(moved->Right() - 32 + 12, moved->y + 6 + 12);  // its close button
        ASSERT_TRUE(m_client->WaitUntilGone(s.title));
    }

    // The menu opens at the pointer, on the preset button, whose hover
    // look may differ from the grab: its other three corners are compared.
    const int presetX = main->x + 312 + 14 + 414 + 32;
    m_client->Click(presetX, eqTop + 188 + 14, 3);  // 自定义1 of the EQ
    std::optional<ScreenRect> menu;
    for (int i = 0; i < 250 && !menu; ++i) {
        for (const XClient::Window& w : m_client->MappedWindows())
            if (w.title.empty() && w.rect.width < 400) menu = w.rect;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(menu);
    EXPECT_TRUE(m_client->SaveShot(*menu, "effect/preset_menu.png", 4));
    EXPECT_TRUE(m_client->SaveZoomedShot({menu->Right() - 20, menu->y - 4, 24, 24}, "effect/preset_menu_corner_4x.png", 4));
    const auto menuShown = shown(*menu);
    const auto menuBeneath = beneath(*menu);
    EXPECT_EQ(std::vector<std::uint32_t>(menuShown.begin() + 1, menuShown.end()),
              std::vector<std::uint32_t>(menuBeneath.begin() + 1, menuBeneath.end()));
    m_client->Click(main->x + 100, main->y + 20);  // a click elsewhere closes it
    EXPECT_TRUE(m_client->WaitUntilGone(""));

    // An unsaved custom preset answers with a tip centred above it.
    m_client->Click(presetX, eqTop + 188 + 14);
    const auto tip = m_client->WaitForWindow("tooltip");
    ASSERT_TRUE(tip);
    EXPECT_NEAR(tip->x + tip->width / 2, presetX, 1);
    EXPECT_EQ(tip->Bottom(), eqTop + 188);
    EXPECT_TRUE(m_client->SaveShot(*tip, "effect/tip.png", 4));
    EXPECT_TRUE(m_client->SaveZoomedShot({tip->x - 4, tip->y - 4, 24, 24}, "effect/tip_corner_4x.png", 4));
    EXPECT_EQ(shown(*tip), beneath(*tip));
}

}  // namespace
}  // namespace qv::test
