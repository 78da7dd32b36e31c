#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>
#include <sstream>

#include "platform/os/DynamicLibrary.h"
#include "platform/os/Folders.h"
#include "tests/osx/ChildProcess.h"

namespace {
using namespace qv::os;
namespace fs = std::filesystem;

TEST(DynamicLibrary, LoadsResolvesAndReportsErrors) {
    const std::u16string folder = ExecutableFolder();
    std::string error;
    HMODULE library = LoadLibrary(folder + u"/libosx_testlib.so", &error);
    ASSERT_NE(library, nullptr) << error;
    auto value = reinterpret_cast<int (*)()>(GetProcAddress(library, "OsxTestValue", &error));
    ASSERT_NE(value, nullptr) << error;
    EXPECT_EQ(value(), 4711);
    EXPECT_EQ(GetProcAddress(library, "GetClient", &error), nullptr);
    EXPECT_NE(error.find("GetClient"), std::string::npos) << error;
    EXPECT_TRUE(FreeLibrary(library));

    EXPECT_EQ(LoadLibrary(folder + u"/missing.so", &error), nullptr);
    EXPECT_NE(error.find("missing.so"), std::string::npos) << error;
    EXPECT_FALSE(FreeLibrary(nullptr));
}

class CrashDump : public ::testing::TestWithParam<std::pair<const char*, int>> {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qv-crash-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string m_dir;
};

std::string LocalStamp(std::time_t t) {
    std::tm local{};
    localtime_r(&t, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &local);
    return text;
}

TEST_P(CrashDump, ACrashingChildLeavesANamedDump) {
    const auto [kind, signal] = GetParam();
    const std::string folder = m_dir + "/not/yet/made";
    const std::time_t before = std::time(nullptr);
    ChildProcess child({"crash", folder, kind});
    const int status = child.Wait();
    const std::time_t after = std::time(nullptr);
    ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
    EXPECT_EQ(WTERMSIG(status), signal);  // the default action followed the dump

    std::set<std::string> expected;
    for (std::time_t t = before; t <= after; ++t)
        expected.insert(folder + "/osx_helper_" + LocalStamp(t) + ".dmp");
    ASSERT_TRUE(fs::is_directory(folder));
    std::vector<fs::path> dumps(fs::directory_iterator(folder), {});
    ASSERT_EQ(dumps.size(), 1u);
    EXPECT_TRUE(expected.count(dumps[0].string())) << dumps[0];

    std::ifstream in(dumps[0]);
    std::stringstream content;
    content << in.rdbuf();
    const std::string text = content.str();
    EXPECT_NE(text.find("signal " + std::to_string(signal) + " ("), std::string::npos);
    EXPECT_NE(text.find("\naddress 0x"), std::string::npos);
    EXPECT_NE(text.find("registers:\n"), std::string::npos);
    EXPECT_NE(text.find("backtrace:\n"), std::string::npos);
    EXPECT_NE(text.find("osx_helper("), std::string::npos);  // a frame of the program
    EXPECT_NE(text.find("modules:\n"), std::string::npos);
    EXPECT_NE(text.find("libqvplatform.so\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Signals, CrashDump,
                         ::testing::Values(std::make_pair("segv", SIGSEGV),
                                           std::make_pair("abort", SIGABRT),
                                           std::make_pair("fpe", SIGFPE),
                                           std::make_pair("overflow", SIGSEGV)),
                         [](const auto& info) { return std::string(info.param.first); });

using CrashDumpPlace = CrashDump;

TEST_F(CrashDumpPlace, ALinkPlantedAtTheDumpsNameIsNotFollowed) {
    const std::string folder = m_dir + "/dumps";
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    const std::string victim = m_dir + "/victim";
    std::ofstream(victim) << "keep";
    const std::time_t now = std::time(nullptr);
    for (std::time_t t = now - 1; t <= now + 30; ++t) {
        const std::string name = folder + "/osx_helper_" + LocalStamp(t) + ".dmp";
        ASSERT_EQ(symlink(victim.c_str(), name.c_str()), 0);
    }
    ChildProcess child({"crash", folder, "segv"});
    ASSERT_TRUE(WIFSIGNALED(child.Wait()));

    std::ifstream in(victim);
    std::stringstream content;
    content << in.rdbuf();
    EXPECT_EQ(content.str(), "keep");
    std::vector<fs::path> dumps;
    for (const auto& entry : fs::directory_iterator(folder))
        if (!entry.is_symlink()) dumps.push_back(entry.path());
    ASSERT_EQ(dumps.size(), 1u);
    EXPECT_EQ(dumps[0].string().substr(dumps[0].string().size() - 6), "_1.dmp");
    EXPECT_EQ(fs::status(dumps[0]).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(CrashDumpPlace, AFolderOthersMayWriteToIsPassedOverForAPrivateOne) {
    const std::string shared = m_dir + "/shared";
    ASSERT_EQ(mkdir(shared.c_str(), 0700), 0);
    ASSERT_EQ(chmod(shared.c_str(), 0777), 0);
    const char* oldTemp = std::getenv("TMPDIR");
    const std::string savedTemp = oldTemp ? oldTemp : "";
    setenv("TMPDIR", m_dir.c_str(), 1);
    ChildProcess child({"crash", shared, "segv"});
    const int status = child.Wait();
    if (oldTemp) setenv("TMPDIR", savedTemp.c_str(), 1);
    else unsetenv("TMPDIR");
    ASSERT_TRUE(WIFSIGNALED(status));

    EXPECT_TRUE(fs::is_empty(shared));
    const std::string privateFolder = m_dir + "/quorvel-" + std::to_string(getuid());
    ASSERT_TRUE(fs::is_directory(privateFolder));
    EXPECT_EQ(fs::status(privateFolder).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(std::distance(fs::directory_iterator(privateFolder), {}), 1);
}

}  // namespace
