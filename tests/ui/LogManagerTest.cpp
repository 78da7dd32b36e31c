// The log manager's files: made where it is told, capped with one older
// file, bursts of one message written once with a count, links not followed.
#include "platform/ui/SLogManager.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/os/Tick.h"

namespace qv::ui {
namespace {

namespace fs = std::filesystem;

class StepClock : public qv::os::IClock {
public:
    std::atomic<std::uint64_t> now{1000000};
    std::uint64_t NowMs() override { return now.load(); }
};

std::string g_debug;
void CaptureDebug(const char* text) { g_debug += std::string(text) + "\n"; }

class LogManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qv-log-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        qv::os::SetClock(&m_clock);
        g_debug.clear();
        qv::os::SetDebugOutputHook(CaptureDebug);
        m_log.SetLogFolder(Folder());
        m_log.SetLevel(0, qv::os::kLogError);
    }
    void TearDown() override {
        m_log.Stop();
        qv::os::SetDebugOutputHook(nullptr);
        qv::os::SetClock(nullptr);
        fs::remove_all(m_dir);
    }
    std::string Folder() const { return m_dir + "/state/Quorvel/log"; }
    std::string File(const char* name = "default.log") const { return Folder() + "/" + name; }
    static std::string Read(const std::string& path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static int Count(const std::string& text, const std::string& part) {
        int n = 0;
        for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
        return n;
    }
    void Log(const char* text, int line = 10) {
        const qv::os::LogRecord record{"soui", qv::os::kLogError, "common/Device/DeviceManager", line,
                                       "CDeviceManager::RecvThreadProc", nullptr, text};
        m_log.Push(0, record);
    }

    std::string m_dir;
    StepClock m_clock;
    SLogManager m_log;
};

TEST_F(LogManagerTest, TheFolderIsMadeAndPrivate) {
    m_log.Start();
    Log("first");
    EXPECT_NE(Read(File()).find("ERROR [soui] common/Device/DeviceManager:10"), std::string::npos);
    EXPECT_EQ(fs::status(Folder()).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(fs::status(File()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(LogManagerTest, AForgedLineIsOneEscapedLine) {
    m_log.Start();
    // A server's message and a URL, each trying to start a line of its own.
    QV_LOGE("%s", "服务器繁忙\r\n2026-01-01 00:00:00.000 ERROR [soui] forged\x1b[2J");
    QV_LOGE("url:%s return code:%d.", "http://h/a\r\nb.mp3", 404);
    std::istringstream text(Read(File()));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 2u) << text.str();
    EXPECT_NE(lines[0].find("AForgedLineIsOneEscapedLine_Test::TestBody 0x"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find(" 服务器繁忙\\r\\n2026-01-01 00:00:00.000 ERROR [soui] forged\\x1b[2J"), std::string::npos)
        << lines[0];
    EXPECT_NE(lines[1].find(" url:http://h/a\\r\\nb.mp3 return code:404."), std::string::npos) << lines[1];
    EXPECT_EQ(text.str().find('\r'), std::string::npos);
}

TEST_F(LogManagerTest, ABurstOfOneMessageIsWrittenOnceWithItsCount) {
    m_log.Start();
    for (int i = 0; i < 500; ++i) {
        Log(" CDeviceManager::RecvThreadProc() -- read return 0");
        m_clock.now += 5;
    }
    Log("the card is back", 20);
    std::string text = Read(File());
    EXPECT_EQ(Count(text, "read return 0"), 1);
    const auto count = text.find("\nlast message repeated 499 times\n");
    ASSERT_NE(count, std::string::npos) << text;
    EXPECT_LT(count, text.find("the card is back"));

    // A burst that goes on is written again after a while; Stop writes the rest.
    for (int i = 0; i < 3; ++i) Log("bad CRC");
    m_clock.now += SLogManager::kBurstMs;
    for (int i = 0; i < 4; ++i) Log("bad CRC");
    m_log.Stop();
    text = Read(File());
    EXPECT_EQ(Count(text, "bad CRC"), 2);
    EXPECT_EQ(Count(text, "last message repeated 2 times"), 1);
    EXPECT_EQ(Count(text, "last message repeated 3 times"), 1);
}

TEST_F(LogManagerTest, AFullFileIsRotatedOnce) {
    m_log.SetMaxFileSize(2000);
    m_log.Start();
    for (int i = 0; i < 200; ++i) Log(("line " + std::to_string(i)).c_str());
    EXPECT_LE(fs::file_size(File()), 2000u);
    EXPECT_LE(fs::file_size(File("default.log.1")), 2000u);
    EXPECT_FALSE(fs::exists(File("default.log.2")));
    EXPECT_NE(Read(File()).find("line 199\n"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(Folder()), {}), 2);
}

TEST_F(LogManagerTest, AnOversizedLogFromAnOlderRunIsCutToTheCapAtTheFirstLineInPlaceOfALink) {
    fs::create_directories(Folder());
    {
        std::ofstream old(File());
        for (int i = 0; i < 1000; ++i) old << "old line " << i << "\n";
    }
    // A link where the older file goes is replaced, not written through.
    const std::string victim = m_dir + "/victim";
    std::ofstream(victim) << "keep";
    fs::create_symlink(victim, File("default.log.1"));
    m_log.SetMaxFileSize(2000);
    m_log.Start();
    Log("first of this run");
    EXPECT_NE(Read(File()).find("first of this run"), std::string::npos);
    EXPECT_EQ(Read(File()).find("old line"), std::string::npos);
    const std::string kept = Read(File("default.log.1"));
    EXPECT_LE(kept.size(), 2000u);
    EXPECT_GT(kept.size(), 1800u);
    EXPECT_EQ(kept.rfind("old line ", 0), 0u);  // whole lines only
    EXPECT_NE(kept.find("old line 999\n"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(Folder()), {}), 2);
    EXPECT_EQ(Read(victim), "keep");
}

TEST_F(LogManagerTest, ALinkAtTheLogsNameIsNotFollowed) {
    fs::create_directories(Folder());
    const std::string victim = m_dir + "/victim";
    std::ofstream(victim) << "keep";
    fs::create_symlink(victim, File());
    m_log.Start();
    Log("secret");
    EXPECT_EQ(Read(victim), "keep");
    EXPECT_NE(g_debug.find("secret"), std::string::npos);  // the line still goes somewhere
}

}  // namespace
}  // namespace qv::ui
