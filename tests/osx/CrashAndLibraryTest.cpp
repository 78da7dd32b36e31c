#include <gtest/gtest.h>
#include <signal.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <set>
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
                                           std::make_pair("fpe", SIGFPE)),
                         [](const auto& info) { return std::string(info.param.first); });

}  // namespace
