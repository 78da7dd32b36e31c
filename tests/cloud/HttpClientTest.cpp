// The HTTP client against catalogsim: what reaches the server, which answers
// count, the size limits, the time-outs and a stop request.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <chrono>
#include <filesystem>
#include <thread>

#include "common/http/LibCurlHelper.h"
#include "platform/os/AtomicFile.h"
#include "platform/os/Log.h"
#include "platform/os/Path.h"
#include "tests/support/CatalogSim.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class HttpClientTest : public ::testing::Test {
protected:
    void SetUp() override { qv::os::SetDebugOutputHook([](const char*) {}); }
    void TearDown() override {
        qv::os::SetDebugOutputHook(nullptr);
        if (!dir.empty()) std::filesystem::remove_all(dir);
    }
    std::string TempFile(const char* name) {
        if (dir.empty()) {
            char pattern[] = "/tmp/qv-http-XXXXXX";
            dir = mkdtemp(pattern);
        }
        return dir + "/" + name;
    }
    std::string dir;
};

std::string Route(const char* route, const std::string& reply) {
    return std::string(R"({"routes":{")") + route + R"(":)" + reply + "}}";
}

TEST_F(HttpClientTest, PostSendsTheFormAndAnEmptyBodyWhenThereIsNone) {
    qv::test::CatalogSim sim;
    ASSERT_TRUE(sim.Start());
    CLibCurlHelper http;
    char reply[256];
    const std::string url = sim.Base() + "/tuning/api/live/getSpecialEffectCategory.json";
    const int received = http.HttpPost(url.c_str(), nullptr, reply, sizeof reply);
    ASSERT_GT(received, 0);
    EXPECT_EQ(std::string(reply, 16), R"({"message":"ok",)");
    EXPECT_GT(http.HttpPost((sim.Base() + "/tuning/api/live/findByCategory.json").c_str(), "categoryId=1", reply, sizeof reply), 0);

    const auto requests = sim.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].body, "");
    EXPECT_EQ(requests[0].contentType, "application/x-www-form-urlencoded;charset=UTF-8");
    EXPECT_EQ(requests[1].body, "categoryId=1");
}

TEST_F(HttpClientTest, RepliesFitTheBufferExactlyOrFail) {
    qv::test::CatalogSim sim;
    sim.Describe(Route("POST /exact", R"({"body":"x","padTo":100})"));
    ASSERT_TRUE(sim.Start());
    const std::string url = sim.Base() + "/exact";
    CLibCurlHelper http;
    char reply[100];
    EXPECT_EQ(http.HttpPost(url.c_str(), "", reply, 100), 100);
    EXPECT_EQ(http.HttpPost(url.c_str(), "", reply, 99), -1);
    EXPECT_EQ(http.HttpGet(url.c_str(), reply, 100), -1);  // no GET route: 404
}

TEST_F(HttpClientTest, OnlyTwoHundredsCountAndNothingElseIsFetched) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
    };
    const Case cases[] = {
        {"404 with a body", {"--switch", "status=404"}},
        {"500", {"--switch", "status=500"}},
        {"redirect to itself", {"--switch", "redirect"}},
        {"redirect to a file", {"--switch", "redirect-file"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        qv::test::CatalogSim sim(c.args);
        ASSERT_TRUE(sim.Start());
        CLibCurlHelper http;
        char reply[1024];
        EXPECT_EQ(http.HttpPost((sim.Base() + "/tuning/api/sound/getSoundList.json").c_str(), "", reply, sizeof reply), -1);
        const std::string file = TempFile("file.mp3");
        EXPECT_EQ(http.HttpGetFile(qv::os::ProgramPath(file).c_str(), (sim.Base() + "/files/laugh.mp3").c_str()), 0);
        EXPECT_EQ(sim.Requests().size(), 2u);  // no redirect was followed
    }
    CLibCurlHelper http;
    char reply[64];
    for (const char* url : {"file:///etc/passwd", "ftp://127.0.0.1/x", "gopher://127.0.0.1/", "/relative"}) {
        SCOPED_TRACE(url);
        EXPECT_EQ(http.HttpPost(url, "", reply, sizeof reply), -1);
        EXPECT_EQ(http.HttpGetFile(qv::os::ProgramPath(TempFile("x")).c_str(), url), 0);
    }
}

TEST_F(HttpClientTest, FilesAreCappedAt32MiB) {
    qv::test::CatalogSim sim({"--switch", "huge"});
    ASSERT_TRUE(sim.Start());
    CLibCurlHelper http;
    const std::string file = TempFile("huge.mp3");
    EXPECT_EQ(http.HttpGetFile(qv::os::ProgramPath(file).c_str(), (sim.Base() + "/files/laugh.mp3").c_str()), 0);
    EXPECT_LE(std::filesystem::file_size(file), static_cast<std::uintmax_t>(CLibCurlHelper::kMaxFileBytes));

    qv::test::CatalogSim regular;
    ASSERT_TRUE(regular.Start());
    // Nothing of the capped download stays: the file holds the sound alone,
    // as a download into a new file does.
    const std::string fresh = TempFile("fresh.mp3");
    EXPECT_EQ(http.HttpGetFile(qv::os::ProgramPath(file).c_str(), (regular.Base() + "/files/laugh.mp3").c_str()), 1);
    EXPECT_EQ(http.HttpGetFile(qv::os::ProgramPath(fresh).c_str(), (regular.Base() + "/files/laugh.mp3").c_str()), 1);
    EXPECT_GT(std::filesystem::file_size(fresh), 10000u);
    EXPECT_EQ(qv::os::ReadWholeFile(file), qv::os::ReadWholeFile(fresh));
}

TEST_F(HttpClientTest, SlowAnswersTimeOut) {
    qv::test::CatalogSim sim({"--switch", "slow"});
    ASSERT_TRUE(sim.Start());
    CLibCurlHelper http;
    char reply[1024];
    auto start = Clock::now();
    EXPECT_EQ(http.HttpPost((sim.Base() + "/tuning/api/sound/getSoundList.json").c_str(), "", reply, sizeof reply), -1);
    const double post = SecondsSince(start);
    start = Clock::now();
    EXPECT_EQ(http.HttpGetFile(qv::os::ProgramPath(TempFile("slow.mp3")).c_str(), (sim.Base() + "/files/laugh.mp3").c_str()), 0);
    const double file = SecondsSince(start);
    EXPECT_GE(post, 6.5);
    EXPECT_LT(post, 7.9);  // the server would answer at 8 s
    EXPECT_GE(file, 2.5);
    EXPECT_LT(file, 3.9);  // the file would come at 4 s
}

TEST_F(HttpClientTest, AStopRequestEndsAStalledTransfer) {
    qv::test::CatalogSim sim({"--switch", "stalled"});
    ASSERT_TRUE(sim.Start());
    std::atomic<bool> stop{false};
    CLibCurlHelper http([&] { return stop.load(); });
    std::atomic<double> ended{0};
    std::thread worker([&] {
        char reply[64];
        const int result = http.HttpPost((sim.Base() + "/tuning/api/sound/getSoundList.json").c_str(), "", reply, sizeof reply);
        EXPECT_EQ(result, -1);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto asked = Clock::now();
    stop = true;
    worker.join();
    EXPECT_LT(SecondsSince(asked), 1.0);
}

TEST(UrlEncode, FormEncodingWithRoomCheckedBeforeEveryWrite) {
    struct Case {
        const char* source;
        int capacity;
        int result;
        const char* encoded;
    };
    const Case cases[] = {
        {"a b&", 64, 1, "a+b%26"},
        {"\xE4", 64, 1, "%E4"},
        {"Az09\t\n_-.", 64, 1, "Az09++%5F%2D%2E"},
        {"", 1, 1, ""},
        {"ab", 3, 1, "ab"},
        {"ab", 2, 0, nullptr},
        {"&", 4, 1, "%26"},
        {"&", 3, 0, nullptr},
        {"a", 0, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        char target[64];
        std::memset(target, '#', sizeof target);
        EXPECT_EQ(CLibCurlHelper::UrlEncode(c.source, target, c.capacity), c.result);
        if (c.encoded) {
            EXPECT_STREQ(target, c.encoded);
        }
        // Nothing is written past the capacity.
        EXPECT_EQ(target[c.capacity < 64 ? c.capacity : 63], c.capacity < 64 ? '#' : target[63]);
    }
}

}  // namespace
