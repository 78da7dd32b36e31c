// The real program on a private X server, ended by SIGTERM while a box it
// shows before (or instead of) its main window waits for the user: the
// host's and the plug-in's notices of damaged files, the plug-in that cannot
// start and the lock folder it must not use. The process ends promptly with
// 0 and leaves no lock behind.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/desktop/XvfbServer.h"
#include "tests/host/HostProcess.h"
#include "tests/mainwnd/XClient.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

struct NoticeCase {
    const char* name;
    const char* file;  // under the sandbox's root
    std::string bytes;
};

void PrintTo(const NoticeCase& c, std::ostream* out) { *out << c.name; }

class StartNoticeSignal : public ::testing::TestWithParam<NoticeCase> {
protected:
    void SetUp() override {
        if (!m_x.Start("1024x768")) GTEST_SKIP() << "Xvfb is not available";
        fs::copy_file(QV_DORBII_PLUGIN, m_box.ProgramFolder() + "/dorbII.so");
        fs::create_directories(m_box.AppDataFolder());
        fs::create_directories(m_box.Root() + "/config/Quorvel");
        // Without a card the program starts with the family it ran last.
        std::ofstream(m_box.AppDataFolder() + "/modulecfg.ini") << "[Module]\nname=dorbII.so\n";
    }

    XvfbServer m_x;
    HostSandbox m_box;
};

TEST_P(StartNoticeSignal, EndsTheProcessPromptlyAndTakesItsLocks) {
    const NoticeCase& c = GetParam();
    const std::string path = m_box.Root() + "/" + c.file;
    if (c.bytes.empty()) {
        ASSERT_EQ(chmod(path.c_str(), 0777), 0);  // the lock folder, open to others
    } else {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << c.bytes;
    }
    XClient client(m_x.Display());
    ASSERT_TRUE(client.Connected());
    const pid_t pid = m_box.Start({{"DISPLAY", m_x.Display()}, {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/qv-bus"}});
    ASSERT_TRUE(client.WaitForWindow("msgbox", 20000)) << "no box";

    const auto asked = std::chrono::steady_clock::now();
    kill(pid, SIGTERM);
    const auto status = m_box.Wait(pid, 20000);  // a hang guard
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - asked);
    std::printf("%s: ended %lld ms after SIGTERM\n", c.name, static_cast<long long>(ms.count()));
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == (c.bytes.empty() ? 1 : 0)) << *status;
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(m_box.Root() + "/run")) left.push_back(entry.path());
    EXPECT_EQ(left, std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Notices, StartNoticeSignal,
    ::testing::Values(NoticeCase{"HostsModuleConfig", "data/Quorvel/modulecfg.ini", std::string("[Module]\0name=dorbII.so\n", 24)},
                      NoticeCase{"Settings", "data/Quorvel/DorbIIConfigData.db", std::string("[Settings]\0\n", 12)},
                      NoticeCase{"Mood", "data/Quorvel/DorbIIMoodcfg.ini", std::string("\xFF\xFE[\0C\0]\0\0\0", 10)},
                      NoticeCase{"Registry", "config/Quorvel/registry.ini", std::string("[a]\0\n", 5)},
                      NoticeCase{"PluginThatCannotStart", "app/dorbII.so", "not a library"},
                      NoticeCase{"LockFolderOpenToOthers", "run", ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qv::test
