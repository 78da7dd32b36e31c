// The real program (quorvel with dorbII.so) against cardsim and catalogsim on
// a private X server: the cloud effect list headed by "回荡", a download from
// its row, the effect used on the card, and the downloaded list again after
// a restart. Screenshots are kept under artifacts/cloud/.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "tests/desktop/XvfbServer.h"
#include "tests/host/HostProcess.h"
#include "tests/mainwnd/CardSimProcess.h"
#include "tests/mainwnd/XClient.h"
#include "tests/support/CatalogSim.h"

namespace qv::test {
namespace {

constexpr const char* kMainTitle = "Quorvel";

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Where the layout puts the effect lists, from the main window's corner: the
// tab bar of the two lists, then rows of 36 px with their buttons at the
// right.
constexpr int kListTabsTop = 41 + 294 + 6;
constexpr int kRowsTop = kListTabsTop + 30 + 8;
constexpr int kRowButtonX = 20 + 272 - 74 + 32;
constexpr int kDownloadedTabX = 20 + 86 + 4 + 43;

class CloudOnX : public ::testing::Test {
protected:
    void SetUp() override {
        if (!m_x.Start("1280x960")) GTEST_SKIP() << "Xvfb is not available";
        std::filesystem::copy_file(QV_DORBII_PLUGIN, m_box.Root() + "/app/dorbII.so");
        ASSERT_TRUE(m_card.Start(m_box.SimSocket(), m_box.Root() + "/cardsim.log"));
        ASSERT_TRUE(m_sim.Start());
        m_client = std::make_unique<XClient>(m_x.Display());
        ASSERT_TRUE(m_client->Connected());
        // The close button ends the program.
        std::filesystem::create_directories(m_box.AppDataFolder());
        std::ofstream(m_box.AppDataFolder() + "/DorbIIConfigData.db") << "[Settings]\nCloseBtnOperation=1\n";
    }
    void TearDown() override {
        // A program the test left running is ended; one that hangs fails it.
        if (m_pid > 0) m_box.End(m_pid);
    }
    void StartProgram() {
        m_pid = m_box.Start({{"DISPLAY", m_x.Display()},
                             {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/qv-bus"},
                             {"QV_CATALOGUE_URL", m_sim.Base() + "/tuning"}});
    }
    int RequestsTo(const std::string& path) {
        int count = 0;
        for (const auto& request : m_sim.Requests()) count += request.path == path;
        return count;
    }
    bool WaitForRequests(const std::string& path, int count) {
        for (int i = 0; i < 500; ++i) {
            if (RequestsTo(path) >= count) return true;
            Sleep(20);
        }
        return false;
    }
    // The pixels of a row change once it shows what it was told.
    bool WaitForChange(const ScreenRect& rc, const std::vector<std::uint32_t>& before) {
        for (int i = 0; i < 250; ++i) {
            if (m_client->Grab(rc) != before) return true;
            Sleep(20);
        }
        return false;
    }
    ScreenRect Row(const ScreenRect& main, int row) const { return {main.x + 20, main.y + kRowsTop + 36 * row, 272, 36}; }
    void ClickRowButton(const ScreenRect& main, int row) { m_client->Click(main.x + kRowButtonX, main.y + kRowsTop + 36 * row + 18); }
    bool StateFileHolds(const std::string& text) {
        std::ifstream in(m_box.AppDataFolder() + "/DorbIIConfigData.db", std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string wide;
        for (char c : text) wide += std::string{c, '\0'};
        return bytes.find(text) != std::string::npos || bytes.find(wide) != std::string::npos;
    }

    XvfbServer m_x;
    HostSandbox m_box;
    CardSimProcess m_card;
    CatalogSim m_sim;
    std::unique_ptr<XClient> m_client;
    pid_t m_pid = -1;
};

TEST_F(CloudOnX, ACloudEffectIsDownloadedUsedAndListedAfterARestart) {
    StartProgram();
    auto main = m_client->WaitForWindow(kMainTitle);
    ASSERT_TRUE(main);
    ASSERT_TRUE(WaitForRequests("/tuning/api/sound/getSoundList.json", 1));
    Sleep(700);  // the list's rows are drawn
    EXPECT_TRUE(m_client->SaveShot(*main, "cloud/effect_page_cloud_list.png"));

    // KTV, under "回荡": "下载", then "使用" once stored.
    const auto before = m_client->Grab(Row(*main, 1));
    ClickRowButton(*main, 1);
    ASSERT_TRUE(WaitForRequests("/tuning/api/sound/getSoundDetail.json", 1));
    ASSERT_TRUE(WaitForChange(Row(*main, 1), before));
    Sleep(300);
    EXPECT_TRUE(m_client->SaveShot(*main, "cloud/effect_page_downloaded_row.png"));
    EXPECT_TRUE(StateFileHolds("DownloadEffect"));

    ClickRowButton(*main, 1);  // 使用
    ASSERT_TRUE(m_card.Command("status"));
    bool applied = false;
    for (int i = 0; i < 50 && !applied; ++i) {
        applied = m_card.WaitFor("  param 4 = 1", 1, 200);
        if (!applied) m_card.Command("status");
    }
    EXPECT_TRUE(applied);

    m_client->Click(main->x + kDownloadedTabX, main->y + kListTabsTop + 15);
    Sleep(500);
    EXPECT_TRUE(m_client->SaveShot(*main, "cloud/effect_page_downloaded_list.png"));

    // Closed and started again, the downloaded list still holds it.
    m_client->Click(main->Right() - 36 + 12, main->y + 20);
    const auto status = m_box.Wait(m_pid, 15000);
    ASSERT_TRUE(status && WIFEXITED(*status));
    m_pid = -1;
    StartProgram();
    main = m_client->WaitForWindow(kMainTitle);
    ASSERT_TRUE(main);
    Sleep(700);
    m_client->Click(main->x + kDownloadedTabX, main->y + kListTabsTop + 15);
    Sleep(500);
    EXPECT_TRUE(m_client->SaveShot(*main, "cloud/effect_page_downloaded_list_after_restart.png"));
    m_client->Click(main->Right() - 36 + 12, main->y + 20);
}

TEST_F(CloudOnX, AFailedFetchShowsTheRetryPanel) {
    m_sim.Stop();  // its port is closed now
    StartProgram();
    const auto main = m_client->WaitForWindow(kMainTitle);
    ASSERT_TRUE(main);
    const ScreenRect list{main->x + 20, main->y + kRowsTop, 272, 240};
    // The spinner turns until the panel replaces it a second after the failure.
    bool still = false;
    for (int i = 0; i < 60 && !still; ++i) {
        const auto before = m_client->Grab(list);
        Sleep(250);
        still = m_client->Grab(list) == before;
    }
    EXPECT_TRUE(still);
    EXPECT_TRUE(m_client->SaveShot(*main, "cloud/effect_page_fetch_failed.png"));
    m_client->Click(main->Right() - 36 + 12, main->y + 20);
}

}  // namespace
}  // namespace qv::test
