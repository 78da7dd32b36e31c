// The real host program runs the real dorbII plug-in against the simulated
// card, in a child process.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "common/device/Frame.h"
#include "platform/os/Tick.h"
#include "tests/host/HostProcess.h"
#include "tests/support/SimCard.h"
#include "tests/support/SimCardServer.h"

namespace {

using qv::test::SimCard;
using qv::test::SimCardServer;

bool HostCarriesSkin() {
    const std::string program = ReadFileText(QV_HOST_EXE);
    return program.find("xml_init") != std::string::npos || program.find("XML_INIT") != std::string::npos;
}

SimCard::Frame Notification(std::uint8_t status, bool badCrc) {
    SimCard::Frame frame{};
    frame[0] = 0x9E;
    frame[3] = status;
    frame[4] = 1;
    frame[5] = 5;
    frame[7] = 10;
    qv::frame::Seal(frame.data());
    if (badCrc) frame[39] ^= 0x5A;
    return frame;
}

// Ends the host when a failed assertion leaves the test early, so that no
// child outlives it.
struct HostGuard {
    HostSandbox& box;
    pid_t pid;
    bool waited = false;
    ~HostGuard() {
        if (!waited) box.End(pid);
    }
};

TEST(PluginProcess, SessionAcknowledgementsAndQuit) {
    if (!HostCarriesSkin()) GTEST_SKIP() << "the host program carries no skin yet";
    HostSandbox box;
    std::filesystem::copy_file(QV_DORBII_PLUGIN, box.Root() + "/app/dorbII.so");
    box.InstallPlugin("zenk.so", "zenk.so");  // the test plug-in takes over after the switch
    SimCard card(SimCard::kDorbProductId);
    SimCardServer server(card);
    ASSERT_TRUE(server.Start(box.SimSocket()));

    const pid_t host = box.Start();
    HostGuard guard{box, host};
    ASSERT_TRUE(card.WaitForReceived(0x90, 1, 20000));
    EXPECT_TRUE(card.SessionOpen());

    ASSERT_TRUE(card.SendNotification({{5, 10}}));
    ASSERT_TRUE(card.SendRawReport(Notification(0, true)));
    ASSERT_TRUE(card.SendRawReport(Notification(1, true)));  // the status byte wins
    ASSERT_TRUE(card.SendRawReport(Notification(2, false)));
    ASSERT_TRUE(card.WaitForReceived(0x9F, 4, 10000));
    const auto acks = card.Acknowledgements();
    ASSERT_EQ(acks.size(), 4u);
    EXPECT_EQ(acks[0][3], 0xFF);
    EXPECT_EQ(acks[1][3], 0x03);
    EXPECT_EQ(acks[2][3], 0xA0);
    EXPECT_EQ(acks[3][3], 0xA0);
    for (const auto& ack : acks) EXPECT_EQ(ack[5], 5);  // a copy of the notification

    // The plug-in runs once the host follows arrival and removal for it.
    const std::uint64_t end = qv::os::NowMs() + 20000;
    while (server.MonitorCount() == 0 && qv::os::NowMs() < end) qv::os::SleepMs(10);
    ASSERT_GT(server.MonitorCount(), 0);

    // A card of the other family: the host tells the plug-in to quit, frees
    // it, and only then starts the next one.
    card.Unplug();
    card.Plug(SimCard::kZenkProductId);
    ASSERT_TRUE(box.WaitForLog("zenk init connected=1", 20000));
    ASSERT_TRUE(box.WaitForLog("zenk run"));
    ASSERT_TRUE(box.SendControl("quit"));
    guard.waited = true;
    const auto status = box.Wait(host);
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
}

}  // namespace
