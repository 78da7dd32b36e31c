// The real host program runs the real dorbII plug-in against the simulated
// card: opening the session sends the whole parameter set.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "families/FamilyData.h"
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

TEST(ParamProcess, ASessionSendsTheWholeSetInFiveFrames) {
    if (!HostCarriesSkin()) GTEST_SKIP() << "the host program carries no skin yet";
    HostSandbox box;
    std::filesystem::copy_file(QV_DORBII_PLUGIN, box.Root() + "/app/dorbII.so");
    box.InstallPlugin("zenk.so", "zenk.so");  // the test plug-in takes over after the switch
    SimCard card(SimCard::kDorbProductId);
    SimCardServer server(card);
    ASSERT_TRUE(server.Start(box.SimSocket()));

    const pid_t host = box.Start();
    const bool synced = card.WaitForReceived(0x94, 5, 20000);
    std::vector<SimCard::Frame> frames;
    for (const auto& frame : card.ReceivedFrames())
        if (frame[0] == 0x94) frames.push_back(frame);

    // Hand over to the test plug-in, once the host follows arrival and
    // removal, and end the host whatever happened.
    const std::uint64_t end = qv::os::NowMs() + 20000;
    while (server.MonitorCount() == 0 && qv::os::NowMs() < end) qv::os::SleepMs(10);
    card.Unplug();
    card.Plug(SimCard::kZenkProductId);
    const bool switched = box.WaitForLog("zenk run", 20000);
    if (switched) box.SendControl("quit");
    const auto status = switched ? box.Wait(host, 20000) : box.End(host);

    ASSERT_TRUE(synced);
    ASSERT_EQ(frames.size(), 5u);
    const int counts[] = {11, 11, 11, 11, 1};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(frames[i][4], counts[i]);
        EXPECT_EQ(frames[i][38], i == 4 ? 1 : 0);
    }
    // A first start: every value is that of built-in effect 0.
    const EffectRecord& first = DorbIIFamily().deviceEffects[0];
    const auto values = card.ParamValues();
    ASSERT_EQ(values.size(), 45u);
    for (const auto& [id, value] : values) EXPECT_EQ(value, first.values[id] & 0x0FFF) << "parameter " << int(id);
    ASSERT_TRUE(switched);
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
}

}  // namespace
