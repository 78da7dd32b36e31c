// The frames of an upload and what the window is told, against a scripted
// device manager: the worked sizes, the cut at 3,460,300 bytes, a block's
// index bytes, and the upload's end on a refused header, a refused block or
// a stop.
#include <gtest/gtest.h>

#include <atomic>
#include <numeric>
#include <vector>

#include "platform/os/MessageQueue.h"
#include "plugin/upload/UploadFrames.h"
#include "plugin/upload/UploadJob.h"
#include "tests/support/FakeDeviceMgmt.h"

namespace qv::test {
namespace {

struct Posted {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class UploadSoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_window = os::CreateTarget([this](HWND, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
            m_posted.push_back({message, wParam, lParam});
            return 0;
        });
    }
    void TearDown() override { os::DestroyThreadQueue(); }

    int Upload(std::size_t imageSize, std::atomic<bool>* stop = nullptr) {
        std::vector<std::uint8_t> image(imageSize);
        std::iota(image.begin(), image.end(), std::uint8_t{1});
        UploadJob job(&m_manager, 2, std::move(image), m_window);
        std::atomic<bool> go{false};
        const int result = UploadSound(&m_manager, job, stop ? *stop : go);
        while (os::PumpOneMessage()) {
        }
        return result;
    }
    std::vector<FakeDeviceMgmt::Request> Blocks() const {
        std::vector<FakeDeviceMgmt::Request> blocks;
        for (const auto& r : m_manager.Requests())
            if (r.frame[0] == kCmdUploadBlock) blocks.push_back(r);
        return blocks;
    }
    int Count(UINT message) const {
        return static_cast<int>(std::count_if(m_posted.begin(), m_posted.end(), [&](const Posted& p) { return p.message == message; }));
    }

    FakeDeviceMgmt m_manager;
    HWND m_window = nullptr;
    std::vector<Posted> m_posted;
};

TEST_F(UploadSoundTest, TheWorkedSizesGiveTheirBlocksAndLastBlock) {
    struct Case {
        std::size_t image;
        std::uint32_t sent;
        std::uint32_t blocks;
        std::uint32_t lastBytes;
    } cases[] = {
        {882044, 882044, 27564, 28},     // 10 s of converted sound
        {3460300, 3460300, 108135, 12},  // the most that is sent
        {3500000, 3460300, 108135, 12},  // more is cut
        {3087044, 3087044, 96471, 4},    // 35 s for key 1
        {32, 32, 1, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.image);
        m_manager.ClearRecords();
        m_posted.clear();
        ASSERT_EQ(Upload(c.image), 0);
        const auto requests = m_manager.Requests();
        ASSERT_FALSE(requests.empty());
        const auto& header = requests.front();
        EXPECT_EQ(header.frame[0], kCmdUploadHeader);
        EXPECT_EQ(header.frame[4], 2);
        EXPECT_EQ(header.frame[5] | (header.frame[6] << 8) | (header.frame[7] << 16), static_cast<int>(c.blocks));
        EXPECT_EQ(header.frame[8] | (header.frame[9] << 8) | (header.frame[10] << 16), static_cast<int>(c.sent));
        EXPECT_EQ(header.attempts, 3);
        EXPECT_EQ(header.timeoutMs, 6000);
        const auto blocks = Blocks();
        ASSERT_EQ(blocks.size(), c.blocks);
        EXPECT_EQ(blocks.back().attempts, 3);
        EXPECT_EQ(blocks.back().timeoutMs, 1000);
        for (std::uint32_t n = 0; n < c.blocks; n += 997) {
            const auto& f = blocks[n].frame;
            ASSERT_EQ(f[36] | (f[37] << 8) | (f[38] << 16), static_cast<int>(n));
            ASSERT_EQ(f[4], static_cast<std::uint8_t>(n * 32 + 1));
        }
        // The last block: the rest of what is sent, then zeros.
        const auto& last = blocks.back().frame;
        const std::uint32_t offset = (c.blocks - 1) * 32;
        for (std::uint32_t i = 0; i < 32; ++i)
            ASSERT_EQ(last[4 + i], i < c.lastBytes ? static_cast<std::uint8_t>(offset + i + 1) : 0) << i;
        // 8889 with the bytes to send, one 8828 per block with the bytes sent.
        ASSERT_EQ(m_posted.size(), c.blocks + 1);
        EXPECT_EQ(m_posted.front().message, kMsgUploadAccepted);
        EXPECT_EQ(m_posted.front().lParam, static_cast<LPARAM>(c.sent));
        EXPECT_EQ(m_posted[1].wParam, std::min<WPARAM>(32, c.sent));
        EXPECT_EQ(m_posted.back().message, kMsgUploadProgress);
        EXPECT_EQ(m_posted.back().wParam, c.sent);
    }
}

TEST_F(UploadSoundTest, ABlockCarriesItsIndexIn24Bits) {
    const std::vector<std::uint8_t> sent(3460300, 0x5A);
    const UploadFrame block = MakeUploadBlock(sent, 70000);  // 0x011170
    EXPECT_EQ(block[0], kCmdUploadBlock);
    EXPECT_EQ(block[36], 0x70);
    EXPECT_EQ(block[37], 0x11);
    EXPECT_EQ(block[38], 0x01);
    EXPECT_EQ(block[4], 0x5A);
    EXPECT_EQ(block[35], 0x5A);
    EXPECT_EQ(block[1] | block[2] | block[3] | block[39], 0);
}

TEST_F(UploadSoundTest, TheUploadEndsAtTheFirstFrameTheCardDoesNotTake) {
    // The header refused: nothing else is sent, no progress is shown.
    m_manager.SetResponder([](const FakeDeviceMgmt::Frame& request, FakeDeviceMgmt::Frame& reply) {
        return request[0] != kCmdUploadHeader && FakeDeviceMgmt::GoodReply(request, reply);
    });
    EXPECT_EQ(Upload(1000), 1);
    EXPECT_EQ(m_manager.Requests().size(), 1u);
    EXPECT_TRUE(m_posted.empty());

    // Block 5 refused: the blocks before it were shown, none after it sent.
    m_manager.ClearRecords();
    m_manager.SetResponder([](const FakeDeviceMgmt::Frame& request, FakeDeviceMgmt::Frame& reply) {
        return !(request[0] == kCmdUploadBlock && request[36] == 5) && FakeDeviceMgmt::GoodReply(request, reply);
    });
    EXPECT_EQ(Upload(1000), 1);
    EXPECT_EQ(Blocks().size(), 6u);
    EXPECT_EQ(Count(kMsgUploadAccepted), 1);
    EXPECT_EQ(Count(kMsgUploadProgress), 5);

    // A stop ends it before the next block; none at all when asked before.
    m_manager.ClearRecords();
    m_posted.clear();
    std::atomic<bool> stop{false};
    m_manager.SetResponder([&stop](const FakeDeviceMgmt::Frame& request, FakeDeviceMgmt::Frame& reply) {
        if (request[0] == kCmdUploadBlock && request[36] == 2) stop = true;
        return FakeDeviceMgmt::GoodReply(request, reply);
    });
    EXPECT_EQ(Upload(1000, &stop), 1);
    EXPECT_EQ(Blocks().size(), 3u);
    m_manager.ClearRecords();
    EXPECT_EQ(Upload(1000, &stop), 1);
    EXPECT_TRUE(m_manager.Requests().empty());
    EXPECT_EQ(UploadSound(nullptr, UploadJob(nullptr, 1, {1, 2, 3}, m_window), stop), 1);
}

}  // namespace
}  // namespace qv::test
