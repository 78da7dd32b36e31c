// The real program (quorvel with dorbII.so) on a private X server against
// cardsim at the pace of a full-speed USB card: a new user sends the first
// favourite into key Ⅱ from the pad's menu "载入设备 → 按键Ⅱ" and waits
// while the send window writes it. Screenshots of the menu and of the window
// at its start, midway and just before it closes are kept under
// artifacts/upload/; the card must hold the whole sound.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "tests/desktop/XvfbServer.h"
#include "tests/host/HostProcess.h"
#include "tests/mainwnd/CardSimProcess.h"
#include "tests/mainwnd/XClient.h"

namespace qv::test {
namespace {

constexpr const char* kMainTitle = "Quorvel";
constexpr const char* kSendTitle = "载入设备";
constexpr const char* kBlock = "> 04 ";
constexpr int kMenuRow = 28;
constexpr int kMenuFrame = 2;

// The first favourite's pad, from the main window's corner: the sound pads
// section at (312, 680), its tabs 66 px in, the first row of pads under the
// tab bar.
constexpr int kFirstPadX = 312 + 66 + 76;
constexpr int kFirstPadY = 680 + 56;

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool Eventually(const std::function<bool()>& done, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        Sleep(20);
    }
    return true;
}

class PadSendOnX : public ::testing::Test {
protected:
    void SetUp() override {
        if (!m_x.Start("1280x960")) GTEST_SKIP() << "Xvfb is not available";
        std::filesystem::copy_file(QV_DORBII_PLUGIN, m_box.ProgramFolder() + "/dorbII.so");
        ASSERT_TRUE(m_card.Start(m_box.SimSocket(), CardLog(), {"--usb-timing"}));
        m_client = std::make_unique<XClient>(m_x.Display());
        ASSERT_TRUE(m_client->Connected());
    }
    void TearDown() override {
        // A program the test left running is ended; one that hangs fails it.
        if (m_pid > 0) m_box.End(m_pid);
    }
    std::string CardLog() const { return m_box.Root() + "/cardsim.log"; }
    // The block count of the last upload header the card took (0: none yet).
    unsigned HeaderBlocks() const {
        std::ifstream log(CardLog());
        unsigned blocks = 0;
        for (std::string line; std::getline(log, line);) {
            unsigned b0 = 0, b1 = 0, b2 = 0;
            if (std::sscanf(line.c_str(), "> 02 00 00 00 %*x %x %x %x", &b0, &b1, &b2) == 3)
                blocks = b0 | b1 << 8 | b2 << 16;
        }
        return blocks;
    }
    ScreenRect Row(const ScreenRect& menu, int row) const { return {menu.x, menu.y + kMenuFrame + row * kMenuRow, menu.width, kMenuRow}; }
    void ClickRow(const ScreenRect& menu, int row) {
        const ScreenRect rc = Row(menu, row);
        m_client->Click(rc.x + rc.width / 2, rc.y + rc.height / 2);
    }

    XvfbServer m_x;
    HostSandbox m_box;
    CardSimProcess m_card;
    std::unique_ptr<XClient> m_client;
    pid_t m_pid = -1;
};

TEST_F(PadSendOnX, ANewUserSendsAFavouriteIntoKeyTwoAndWaitsForIt) {
    m_pid = m_box.Start({{"DISPLAY", m_x.Display()},
                         {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/qv-bus"},
                         {"QV_CATALOGUE_URL", "http://127.0.0.1:1/tuning"}});
    const auto main = m_client->WaitForWindow(kMainTitle);
    ASSERT_TRUE(main);
    ASSERT_TRUE(m_card.WaitFor("> 94", 1, 15000));
    Sleep(700);  // the window's first frames

    // The pad's menu leads with the card's keys; 载入设备 opens them beside it.
    m_client->Click(main->x + kFirstPadX, main->y + kFirstPadY, 3);
    const auto menu = m_client->WaitForPopup(3 * kMenuRow);
    ASSERT_TRUE(menu) << "no pad menu";
    EXPECT_EQ(menu->height, 2 * kMenuFrame + 4 * kMenuRow);  // 载入设备, 取消收藏, 删除热键, 编辑热键
    ClickRow(*menu, 0);
    const auto keys = m_client->WaitForPopup(3 * kMenuRow, {*menu});
    ASSERT_TRUE(keys) << "no keys' sub-menu";
    EXPECT_EQ(keys->height, 2 * kMenuFrame + 3 * kMenuRow);
    EXPECT_TRUE(OpensBeside(*keys, Row(*menu, 0), 2 * kMenuFrame))
        << "the keys at " << keys->x << "," << keys->y << ", their item at " << menu->x << "," << Row(*menu, 0).y;
    m_client->MoveTo(keys->x + keys->width / 2, Row(*keys, 1).y + kMenuRow / 2);
    Sleep(300);  // 按键Ⅱ under the pointer
    const ScreenRect both{menu->x, menu->y, keys->Right() - menu->x, std::max(menu->Bottom(), keys->Bottom()) - menu->y};
    EXPECT_TRUE(m_client->SaveShot(both, "upload/program_pad_menu_keys.png", 4));

    // The card answers the header late, as a busy card does: the window
    // shows its waiting first.
    ASSERT_TRUE(m_card.Command("fault late 02 1"));
    ClickRow(*keys, 1);
    const auto sent = std::chrono::steady_clock::now();
    // Counted as soon as the window maps, not after the shot: on a loaded
    // machine the shot's own waiting can outlast the late answer.
    ASSERT_TRUE(Eventually([&] { return m_client->FindWindow(kSendTitle).has_value(); }, 10000)) << "no send window";
    EXPECT_EQ(m_card.Count(kBlock), 0);
    const auto window = m_client->WaitForWindow(kSendTitle, 10000);
    ASSERT_TRUE(window) << "the send window went";
    EXPECT_TRUE(m_client->SaveShot(*window, "upload/program_send_start.png"));

    ASSERT_TRUE(Eventually([&] { return HeaderBlocks() > 0; }, 15000)) << "no header came";
    const int blocks = static_cast<int>(HeaderBlocks());
    // A block near the end is answered late: the window stays open over that
    // wait with its bar nearly full. Blocks that go while the card is told
    // only move it nearer the end.
    const int lateBlock = blocks - 200;
    ASSERT_GT(lateBlock, blocks / 2);
    ASSERT_TRUE(m_card.Command("fault late 04 1 " + std::to_string(lateBlock - m_card.Count(kBlock))));

    ASSERT_TRUE(Eventually([&] { return m_card.Count(kBlock) >= blocks / 2; }, 60000));
    EXPECT_TRUE(m_client->SaveShot(*window, "upload/program_send_midway.png"));

    ASSERT_TRUE(Eventually([&] { return m_card.Count(kBlock) > lateBlock; }, 60000));
    int seen = -1;
    int still = 0;
    ASSERT_TRUE(Eventually([&] {
        const int now = m_card.Count(kBlock);
        still = now == seen ? still + 1 : 0;
        seen = now;
        return still >= 5;
    }, 10000));
    EXPECT_LT(seen, blocks);
    EXPECT_TRUE(m_client->FindWindow(kSendTitle));
    EXPECT_TRUE(m_client->SaveShot(*window, "upload/program_send_closing.png"));

    // It closes by itself, with no message, and the key holds the sound.
    ASSERT_TRUE(m_client->WaitUntilGone(kSendTitle, 15000));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count();
    ASSERT_TRUE(m_card.WaitFor("cardsim: upload key 2: ")) << "the card's summary did not come";
    std::ifstream log(CardLog());
    std::string summary;
    for (std::string line; std::getline(log, line);)
        if (line.rfind("cardsim: upload key 2: ", 0) == 0) summary = line;
    EXPECT_NE(summary.find(", complete, "), std::string::npos) << summary;
    EXPECT_NE(summary.find(", 0 violations"), std::string::npos) << summary;
    EXPECT_GE(m_card.Count(kBlock), blocks);
    Sleep(300);
    EXPECT_FALSE(m_client->FindWindow("msgbox"));
    std::printf("%s\nthe window was open %.1f s at USB pace (%d blocks; the header and one block answered 0.7 s late)\n",
                summary.c_str(), seconds, blocks);

    m_client->Click(main->Right() - 36 + 12, main->y + 20);  // close: the run ends
    const auto status = m_box.Wait(m_pid, 15000);
    m_pid = -1;
    EXPECT_TRUE(status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
}

}  // namespace
}  // namespace qv::test
