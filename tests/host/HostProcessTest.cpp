// The real host program in child processes, with the test plug-ins and the
// simulated card.
#include <signal.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include "platform/os/Tick.h"

#include "tests/host/HostProcess.h"
#include "tests/support/SimCard.h"
#include "tests/support/SimCardServer.h"

namespace {

using qv::test::SimCard;
using qv::test::SimCardServer;

bool ExitedWith(const std::optional<int>& status, int code) {
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == code;
}

int CountLines(const HostSandbox& box, const std::string& prefix) {
    const auto lines = box.LogLines();
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
        return l.rfind(prefix, 0) == 0;
    }));
}

std::string ThreadOf(const HostSandbox& box, const std::string& prefix) {
    for (const auto& line : box.LogLines()) {
        if (line.rfind(prefix, 0) != 0) continue;
        const auto at = line.find("thread=");
        if (at != std::string::npos) return line.substr(at + 7);
    }
    return {};
}

TEST(HostProcess, SecondStartActivatesFirstAndExitsZero) {
    HostSandbox box;
    box.InstallPlugin("zenk.so", "zenk.so");
    const pid_t first = box.Start();
    ASSERT_TRUE(box.WaitForLog("zenk run"));

    const pid_t second = box.Start();
    EXPECT_TRUE(ExitedWith(box.Wait(second), 0));
    EXPECT_EQ(CountLines(box, "zenk activate wparam=5"), 1);
    EXPECT_EQ(ThreadOf(box, "zenk activate"), ThreadOf(box, "zenk run"));
    // The second start loaded no plug-in of its own.
    EXPECT_EQ(CountLines(box, "zenk get-client"), 1);

    ASSERT_TRUE(box.SendControl("quit"));
    EXPECT_TRUE(ExitedWith(box.Wait(first), 0));
    const std::string ini = ReadFileText(box.AppDataFolder() + "/modulecfg.ini");
    EXPECT_NE(ini.find("[Module]"), std::string::npos);
    EXPECT_NE(ini.find("name=zenk.so"), std::string::npos);
}

// Two starts close together: whichever takes the lock runs, and the other
// waits until it can take the activation instead of giving up at once.
class HostStartsApart : public ::testing::TestWithParam<int> {};

TEST_P(HostStartsApart, TheRunningInstanceIsActivatedEveryTime) {
    HostSandbox box;
    box.InstallPlugin("zenk.so", "zenk.so");
    constexpr int kRounds = 20;
    for (int round = 1; round <= kRounds; ++round) {
        SCOPED_TRACE(round);
        pid_t pids[2];
        pids[0] = box.Start();
        std::this_thread::sleep_for(std::chrono::milliseconds(GetParam()));  // the spacing under test
        pids[1] = box.Start();
        // The one that did not get the lock ends first, with 0.
        std::optional<int> ended;
        const std::uint64_t end = qv::os::NowMs() + 10000;
        while (!ended && qv::os::NowMs() < end) {
            for (int i = 0; i < 2 && !ended; ++i) {
                int status = 0;
                if (waitpid(pids[i], &status, WNOHANG) == pids[i]) {
                    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
                    ended = i;
                }
            }
            qv::os::SleepMs(5);
        }
        ASSERT_TRUE(ended) << "neither start ended: the second one hung";
        EXPECT_TRUE(box.WaitForLog("zenk run", 10000));
        const auto activated = [&] { return CountLines(box, "zenk activate wparam=5") == round; };
        for (const std::uint64_t until = qv::os::NowMs() + 5000; !activated() && qv::os::NowMs() < until;)
            qv::os::SleepMs(5);
        EXPECT_EQ(CountLines(box, "zenk activate wparam=5"), round);
        EXPECT_EQ(CountLines(box, "zenk get-client"), round);  // one plug-in per pair
        ASSERT_TRUE(box.SendControl("quit"));
        EXPECT_TRUE(ExitedWith(box.Wait(pids[1 - *ended]), 0));
    }
}

INSTANTIATE_TEST_SUITE_P(Spacing, HostStartsApart, ::testing::Values(0, 10, 20, 40),
                         [](const auto& info) { return std::to_string(info.param) + "ms"; });

TEST(HostProcess, ALockFolderOpenToOthersEndsTheStartWithAnError) {
    HostSandbox box;
    box.InstallPlugin("zenk.so", "zenk.so");
    const std::string shared = box.Root() + "/shared-run";
    std::filesystem::create_directories(shared);
    std::filesystem::permissions(shared, std::filesystem::perms::all);
    const pid_t host = box.Start({{"XDG_RUNTIME_DIR", shared}});
    EXPECT_TRUE(ExitedWith(box.Wait(host), 1));
    EXPECT_EQ(CountLines(box, "zenk get-client"), 0);  // nothing started
    EXPECT_TRUE(std::filesystem::is_empty(shared));
    // Told in the program's log too, not only on standard error.
    EXPECT_NE(ReadFileText(box.StateFolder() + "/log/default.log").find(shared + " is open to other users"),
              std::string::npos);
}

TEST(HostProcess, FamilySwitchFollowsSimulatedCard) {
    HostSandbox box;
    box.InstallPlugin("zenk.so", "zenk.so");
    box.InstallPlugin("dorbII.so", "dorbII.so");
    SimCard card(SimCard::kZenkProductId);
    SimCardServer server(card);
    ASSERT_TRUE(server.Start(box.SimSocket()));

    const pid_t host = box.Start();
    ASSERT_TRUE(box.WaitForLog("zenk init connected=1"));
    EXPECT_TRUE(box.WaitForLog("zenk exchange ok=1 reply=0x27 firmware=15"));
    ASSERT_TRUE(box.WaitForLog("zenk run"));

    card.Unplug();
    ASSERT_TRUE(box.WaitForLog("zenk pnp removed=1"));
    card.Plug(SimCard::kDorbProductId);
    ASSERT_TRUE(box.WaitForLog("zenk quit"));
    ASSERT_TRUE(box.WaitForLog("drII init connected=1"));
    EXPECT_TRUE(box.WaitForLog("drII exchange ok=1 reply=0x27"));
    ASSERT_TRUE(box.WaitForLog("drII run"));

    ASSERT_TRUE(box.SendControl("quit"));
    EXPECT_TRUE(ExitedWith(box.Wait(host), 0));
    EXPECT_NE(ReadFileText(box.AppDataFolder() + "/modulecfg.ini").find("name=dorbII.so"),
              std::string::npos);
}

TEST(HostProcess, UpdateModeCardGoesToFamilyLastUsed) {
    HostSandbox box;
    box.InstallPlugin("zenk.so", "zenk.so");
    box.InstallPlugin("dorbII.so", "dorbII.so");
    std::filesystem::create_directories(box.AppDataFolder());
    {
        std::ofstream ini(box.AppDataFolder() + "/modulecfg.ini");
        ini << "[Module]\r\nname=dorbIV.so\r\n";
    }
    SimCard card(SimCard::kDorbProductId);
    card.Unplug();
    card.Plug(SimCard::kUpdateProductId);
    SimCardServer server(card);
    ASSERT_TRUE(server.Start(box.SimSocket()));

    const pid_t host = box.Start();
    ASSERT_TRUE(box.WaitForLog("drII init connected=1"));
    ASSERT_TRUE(box.WaitForLog("drII run"));
    ASSERT_TRUE(box.SendControl("quit"));
    EXPECT_TRUE(ExitedWith(box.Wait(host), 0));
    EXPECT_EQ(CountLines(box, "zenk"), 0);
}

TEST(HostProcess, RunsWithoutAppDataFolderAndStoresNothing) {
    HostSandbox box;
    box.InstallPlugin("zenk.so", "zenk.so");
    // A file where the data folder should be: the app-data folder cannot be made.
    std::ofstream(box.Root() + "/blocker") << "x";
    const pid_t host = box.Start({{"XDG_DATA_HOME", box.Root() + "/blocker"},
                                  {"QV_TESTPLUGIN_MODE", "no-attach"}});
    EXPECT_TRUE(ExitedWith(box.Wait(host), 0));
    EXPECT_TRUE(box.WaitForLog("zenk end without attach", 0));
    for (const auto& entry : std::filesystem::recursive_directory_iterator(box.Root()))
        EXPECT_NE(entry.path().filename(), "modulecfg.ini") << entry.path();
}

// A signal while the plug-in shows a box before it attaches ends the box,
// the run and the process, which takes its locks with it.
TEST(HostProcess, ASignalEndsABoxThePluginShowsBeforeItAttaches) {
    HostSandbox box;
    box.InstallPlugin("zenk.so", "zenk.so");
    const pid_t host = box.Start({{"QV_TESTPLUGIN_MODE", "box-before-attach"}});
    ASSERT_TRUE(box.WaitForLog("zenk box shown"));
    kill(host, SIGTERM);
    EXPECT_TRUE(ExitedWith(box.Wait(host), 0));
    EXPECT_TRUE(box.WaitForLog("zenk box ended", 0));
    EXPECT_TRUE(std::filesystem::is_empty(box.Root() + "/run"));
}

struct FailureCase {
    const char* name;
    const char* installed;  // built plug-in copied as zenk.so, or null
    const char* mode;
    const char* expectedLine;
};

class HostPluginFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(HostPluginFailure, HostEndsWithZero) {
    const FailureCase& c = GetParam();
    HostSandbox box;
    if (c.installed) box.InstallPlugin(c.installed, "zenk.so");
    const pid_t host = box.Start({{"QV_TESTPLUGIN_MODE", c.mode}});
    EXPECT_TRUE(ExitedWith(box.Wait(host), 0));
    if (c.expectedLine) {
        EXPECT_TRUE(box.WaitForLog(c.expectedLine, 0));
    }
    EXPECT_EQ(CountLines(box, "zenk run"), 0);
    EXPECT_NE(ReadFileText(box.AppDataFolder() + "/modulecfg.ini").find("name=zenk.so"),
              std::string::npos);
    // A plug-in that never ran is told of in the program's log.
    const bool ran = std::string(c.name) == "NeverAttaches";
    EXPECT_EQ(ReadFileText(box.StateFolder() + "/log/default.log").find("插件 zenk.so 无法启动") != std::string::npos,
              !ran);
}

INSTANTIATE_TEST_SUITE_P(
    Plugins, HostPluginFailure,
    ::testing::Values(FailureCase{"MissingLibrary", nullptr, "", nullptr},
                      FailureCase{"MissingExport", "noexport.so", "", nullptr},
                      FailureCase{"NullClient", "zenk.so", "null-client", "zenk get-client"},
                      FailureCase{"InitFails", "zenk.so", "init-fail", "zenk init-fail"},
                      FailureCase{"NeverAttaches", "zenk.so", "no-attach", "zenk uninit"}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

TEST(HostProcess, CrashLeavesDumpNamedByTime) {
    HostSandbox box;
    box.InstallPlugin("zenk.so", "zenk.so");
    const pid_t host = box.Start({{"QV_TESTPLUGIN_MODE", "crash"},
                                  {"ASAN_OPTIONS", "handle_segv=0:detect_leaks=0"}});
    const auto status = box.Wait(host);
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFSIGNALED(*status));
    const std::regex name(R"(quorvel_\d{14}\.dmp)");
    int dumps = 0;
    for (const auto& entry : std::filesystem::directory_iterator(box.AppDataFolder())) {
        if (std::regex_match(entry.path().filename().string(), name)) {
            ++dumps;
            EXPECT_GT(entry.file_size(), 0u);
        }
    }
    EXPECT_EQ(dumps, 1);
}

}  // namespace
