// The real host program and dorbII plug-in against the simulated card, ended
// by a termination signal: everything a normal close does happens, and the
// card's own changes made without a window reach the next session.
#include <signal.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>

#include "platform/os/Profile.h"
#include "platform/os/Utf.h"
#include "plugin/model/EffectRecord.h"
#include "tests/host/HostProcess.h"
#include "tests/support/SimCard.h"
#include "tests/support/SimCardServer.h"

namespace {

using qv::test::SimCard;
using qv::test::SimCardServer;

constexpr std::uint8_t kChangedParam = 16;  // 变声音量, 0 in the first built-in effect
constexpr std::uint16_t kChangedValue = 77;

class SessionEnd : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        std::filesystem::copy_file(QV_DORBII_PLUGIN, box.Root() + "/app/dorbII.so");
        ASSERT_TRUE(server.Start(box.SimSocket()));
    }

    // Starts the host and waits until its session has synchronised the card
    // (five more parameter frames).
    pid_t StartSynced() {
        const int frames = card.CountReceived(0x94);
        const pid_t host = box.Start();
        EXPECT_TRUE(card.WaitForReceived(0x94, frames + 5, 20000)) << "no session";
        return host;
    }
    // Sends the signal; true when the host exited with 0.
    bool EndWith(pid_t host, int sig) {
        kill(host, sig);
        const auto status = box.Wait(host, 20000);
        return status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
    }
    std::u16string AppDataFile(const char* name) const {
        return qv::os::Utf8ToUtf16(box.AppDataFolder() + "/" + name);
    }

    HostSandbox box;
    SimCard card{SimCard::kDorbProductId};
    SimCardServer server{card};
};

TEST_P(SessionEnd, ASignalEndsTheProgramAsACloseDoesAndKeepsTheCardsChanges) {
    const pid_t first = StartSynced();
    // A change made on the card while no window exists.
    ASSERT_TRUE(card.SendNotification({{kChangedParam, kChangedValue}}));
    ASSERT_TRUE(card.WaitForReceived(0x9F, 1, 10000));
    EXPECT_EQ(card.Acknowledgements().back()[3], 0xFF);
    ASSERT_TRUE(EndWith(first, GetParam()));

    // The session was closed with 0x90/0.
    std::vector<SimCard::Frame> sessionFrames;
    for (const auto& frame : card.ReceivedFrames())
        if (frame[0] == 0x90) sessionFrames.push_back(frame);
    ASSERT_EQ(sessionFrames.size(), 2u);
    EXPECT_EQ(sessionFrames[0][4], 1);
    EXPECT_EQ(sessionFrames[1][4], 0);
    EXPECT_FALSE(card.SessionOpen());
    // The state file holds the current effect with the card's change, and
    // modulecfg.ini the plug-in that ran.
    EffectRecord current{};
    ASSERT_TRUE(qv::os::GetPrivateProfileStruct(u"LastStatus", u"CurrentEffect", &current,
                                                sizeof current, AppDataFile("DorbIIConfigData.db").c_str()));
    EXPECT_EQ(current.values[kChangedParam], kChangedValue);
    std::array<char16_t, 64> name{};
    qv::os::GetPrivateProfileString(u"Module", u"name", u"", name.data(), name.size(),
                                    AppDataFile("modulecfg.ini").c_str());
    EXPECT_EQ(std::u16string(name.data()), u"dorbII.so");
    // The plug-in logged to the user's state folder, not the program's.
    EXPECT_NE(ReadFileText(box.StateFolder() + "/log/default.log").find("CPU:"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(box.Root() + "/app/log"));

    // The next session gives the card its own value back, not the old one.
    const pid_t second = StartSynced();
    EXPECT_EQ(card.ParamValue(kChangedParam), kChangedValue);
    EXPECT_TRUE(EndWith(second, GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Signals, SessionEnd, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

}  // namespace
