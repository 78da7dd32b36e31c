// The real program with the zenk plug-in against the simulated zenk card on
// a private X server: the firmware gate frame by frame, the upgrade question
// for an old or update-mode card, and the zenk main window as it shows, kept
// as screenshots.
#include <gtest/gtest.h>

#include <filesystem>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "families/FamilyData.h"
#include "platform/os/Profile.h"
#include "platform/os/Tick.h"
#include "platform/os/Utf.h"
#include "plugin/model/RecordText.h"
#include "tests/desktop/XvfbServer.h"
#include "tests/host/HostProcess.h"
#include "tests/mainwnd/XClient.h"
#include "tests/support/CatalogSim.h"
#include "tests/support/SimCard.h"
#include "tests/support/SimCardServer.h"

namespace qv::test {
namespace {

constexpr const char* kMainTitle = "Quorvel";
constexpr const char* kMessageBox = "msgbox";
constexpr const char* kUsageReportPath = "/tuning/api/user/informationCollector.json";

class ZenkOnX : public ::testing::Test {
protected:
    void SetUp() override {
        if (!m_x.Start("1280x960")) GTEST_SKIP() << "Xvfb is not available";
        std::filesystem::copy_file(QV_ZENK_PLUGIN, m_box.ProgramFolder() + "/zenk.so");
        ASSERT_TRUE(m_catalogue.Start());
        m_client = std::make_unique<XClient>(m_x.Display());
        ASSERT_TRUE(m_client->Connected());
    }
    void TearDown() override {
        if (m_pid > 0) m_box.End(m_pid);  // one the test left running is ended
    }
    void StartProgram() {
        ASSERT_TRUE(m_server.Start(m_box.SimSocket()));
        m_pid = m_box.Start({{"DISPLAY", m_x.Display()},
                             {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/qv-bus"},
                             {"QV_CATALOGUE_URL", m_catalogue.Base() + "/tuning"}});
    }
    // The frames the program sent, acknowledgements left out.
    std::vector<SimCard::Frame> Sent() const {
        std::vector<SimCard::Frame> frames;
        for (const SimCard::Frame& f : m_card.ReceivedFrames())
            if (f[0] != 0x9F) frames.push_back(f);
        return frames;
    }
    int CountSent(std::uint8_t command, int byte4 = -1) const {
        int count = 0;
        for (const SimCard::Frame& f : Sent()) count += f[0] == command && (byte4 < 0 || f[4] == byte4);
        return count;
    }
    bool Eventually(const std::function<bool()>& done, int timeoutMs = 15000) {
        const std::uint64_t end = os::NowMs() + static_cast<std::uint64_t>(timeoutMs);
        while (!done()) {
            if (os::NowMs() > end) return false;
            os::SleepMs(20);
        }
        return true;
    }
    bool UsageReported() {
        for (const CatalogSim::Request& r : m_catalogue.Requests())
            if (r.path == kUsageReportPath) return true;
        return false;
    }
    std::string StateFile() const { return m_box.AppDataFolder() + "/ZenkConfigData.db"; }

    XvfbServer m_x;
    HostSandbox m_box;
    SimCard m_card{SimCard::kZenkProductId};
    SimCardServer m_server{m_card};
    CatalogSim m_catalogue;
    std::unique_ptr<XClient> m_client;
    pid_t m_pid = -1;
};

TEST_F(ZenkOnX, Version15OpensTheSessionSendsEveryParameterAndReports) {
    StartProgram();
    const auto main = m_client->WaitForWindow(kMainTitle);
    ASSERT_TRUE(main);
    ASSERT_TRUE(Eventually([&] { return CountSent(0x94) >= 5; })) << "the full sync did not come";
    ASSERT_TRUE(Eventually([&] { return UsageReported(); })) << "no usage report";
    const auto sent = Sent();
    ASSERT_GE(sent.size(), 7u);
    EXPECT_EQ(sent[0][0], 0x92);
    EXPECT_EQ(sent[1][0], 0x90);
    EXPECT_EQ(sent[1][4], 1);
    const int counts[] = {11, 11, 11, 11, 3};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(sent[static_cast<std::size_t>(2 + i)][0], 0x94) << i;
        EXPECT_EQ(sent[static_cast<std::size_t>(2 + i)][4], counts[i]) << i;
    }
    EXPECT_EQ(CountSent(0x90, 1), 1);
    EXPECT_EQ(CountSent(0x26), 0);
    EXPECT_FALSE(m_client->FindWindow(kMessageBox));
    EXPECT_TRUE(m_client->SaveShot(*main, "zenk/main_window_cn.png"));

    // The sound pads: a new user's favourites and the catalogue's categories,
    // and a favourite's menu without the card's keys, which zenk lacks.
    const ScreenRect pads{main->x + 312, main->y + 680, 716, 184};
    EXPECT_TRUE(m_client->SaveShot(pads, "zenk/sound_pads_cn.png"));
    m_client->Click(pads.x + 66 + 76, pads.y + 56, 3);
    const auto menu = m_client->WaitForPopup(2 * 28);
    ASSERT_TRUE(menu) << "no pad menu";
    EXPECT_EQ(menu->height, 4 + 3 * 28);  // 取消收藏, 删除热键, 编辑热键
    EXPECT_TRUE(m_client->SaveShot(pads, "zenk/sound_pad_menu_cn.png"));
    m_client->Click(pads.x + 30, pads.y + 100);  // beside the pads: the menu ends
    bool closed = false;  // a loaded machine may take a while to unmap it
    for (int i = 0; i < 20 && !closed; ++i) closed = m_client->WaitForPopup(2 * 28, {}, 500) == std::nullopt;
    EXPECT_TRUE(closed) << "the pad menu stayed open";
    m_client->Click(pads.x + 66 + 3 * 64 + 31, pads.y + 21);  // the first category's tab
    os::SleepMs(300);
    EXPECT_TRUE(m_client->SaveShot(pads, "zenk/sound_pads_cloud_cn.png"));
}

TEST_F(ZenkOnX, AUserEffectShowsSelectedAndItsCodeGoesOutAsZero) {
    // A user effect saved and current in the last run, its tab in front.
    const FamilyData& zenk = ZenkFamily();
    EffectRecord mine = zenk.deviceEffects[2];
    SetFieldText(mine.name, u"我的人声");
    mine.values[kParamEffectCode] = UserEffectCode(zenk, 0);
    std::filesystem::create_directories(m_box.AppDataFolder());
    const std::u16string file = os::Utf8ToUtf16(StateFile());
    ASSERT_TRUE(os::WritePrivateProfileStruct(u"MyCustomEffect", u"0", &mine, sizeof mine, file.c_str()));
    ASSERT_TRUE(os::WritePrivateProfileStruct(u"LastStatus", u"CurrentEffect", &mine, sizeof mine, file.c_str()));
    ASSERT_TRUE(os::WritePrivateProfileString(u"nCurSelTabIndex", u"tabEffecet", u"1", file.c_str()));

    StartProgram();
    const auto main = m_client->WaitForWindow(kMainTitle);
    ASSERT_TRUE(main);
    ASSERT_TRUE(Eventually([&] { return CountSent(0x94) >= 5; }));
    bool found = false;
    for (const SimCard::Frame& f : Sent()) {
        for (int k = 0; f[0] == 0x94 && k < f[4]; ++k) {
            const std::uint8_t* triple = &f[static_cast<std::size_t>(5 + 3 * k)];
            if (triple[0] != kParamEffectCode) continue;
            found = true;
            EXPECT_EQ(triple[1], 0x10);  // its tag, and the high bits of 0
            EXPECT_EQ(triple[2], 0);
        }
    }
    EXPECT_TRUE(found) << "the full sync carried no effect code";
    EXPECT_TRUE(m_client->SaveShot(*main, "zenk/effect_page_user_effect.png"));
}

TEST_F(ZenkOnX, Version14AsksForTheUpgradeAndSendsNothing) {
    m_card.SetVersions(10, 14, 1);
    StartProgram();
    const auto box = m_client->WaitForWindow(kMessageBox);
    ASSERT_TRUE(box) << "no upgrade question";
    ASSERT_TRUE(Eventually([&] { return UsageReported(); })) << "no usage report";
    EXPECT_EQ(CountSent(0x92), 1);
    EXPECT_EQ(CountSent(0x90), 0);
    EXPECT_EQ(CountSent(0x94), 0);
    EXPECT_TRUE(m_client->SaveShot(*box, "zenk/upgrade_question.png"));
}

TEST_F(ZenkOnX, AnAnswerToTheDeviceInformationAloneOpensTheSession) {
    m_card.AddFault({.fault = SimFault::NoReply, .command = 0x92, .skip = 0, .times = -1});
    StartProgram();
    ASSERT_TRUE(Eventually([&] { return CountSent(0x94) >= 5; })) << "no session";
    const auto sent = Sent();
    const auto info = std::find_if(sent.begin(), sent.end(), [](const auto& f) { return f[0] == 0x26; });
    const auto open = std::find_if(sent.begin(), sent.end(), [](const auto& f) { return f[0] == 0x90; });
    ASSERT_NE(info, sent.end());
    ASSERT_NE(open, sent.end());
    EXPECT_LT(info, open);
    EXPECT_EQ((*open)[4], 1);
    EXPECT_TRUE(std::all_of(sent.begin(), info, [](const auto& f) { return f[0] == 0x92; }));
}

TEST_F(ZenkOnX, ACardThatTellsNoVersionIsLetGoOnce) {
    m_card.AddFault({.fault = SimFault::NoReply, .command = 0x92, .skip = 0, .times = -1});
    m_card.AddFault({.fault = SimFault::NoReply, .command = 0x26, .skip = 0, .times = -1});
    StartProgram();
    ASSERT_TRUE(m_client->WaitForWindow(kMainTitle));
    ASSERT_TRUE(Eventually([&] { return m_server.DeviceCloses() >= 1; })) << "the card was never let go";
    EXPECT_EQ(CountSent(0x90, 0), 1);
    EXPECT_EQ(CountSent(0x90, 1), 0);
    EXPECT_EQ(CountSent(0x94), 0);
    EXPECT_EQ(m_server.DeviceOpens(), 1);
    EXPECT_EQ(m_server.DeviceCloses(), 1);
    EXPECT_FALSE(UsageReported());
}

TEST_F(ZenkOnX, AnUpdateModeCardArrivingIsAskedAbout) {
    StartProgram();
    ASSERT_TRUE(m_client->WaitForWindow(kMainTitle));
    ASSERT_TRUE(Eventually([&] { return CountSent(0x94) >= 5; }));
    // The program follows arrivals once its plug-in has subscribed to them.
    ASSERT_TRUE(Eventually([&] { return m_server.MonitorCount() > 0; }));
    m_card.Unplug();
    m_card.Plug(SimCard::kUpdateProductId);
    const auto box = m_client->WaitForWindow(kMessageBox);
    ASSERT_TRUE(box) << "no upgrade question";
    EXPECT_TRUE(m_client->FindWindow(kMainTitle)) << "the plug-in did not keep running";
    EXPECT_EQ(CountSent(0x90, 1), 1);
    EXPECT_TRUE(m_client->SaveShot(*box, "zenk/update_mode_question.png"));
}

}  // namespace
}  // namespace qv::test
