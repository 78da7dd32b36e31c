#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "common/device/Frame.h"
#include "tests/support/SimCard.h"

namespace {

using qv::test::SimCard;
using qv::test::SimFault;
using qv::test::SimFaultRule;
using Frame = SimCard::Frame;

Frame Request(std::uint8_t command, std::initializer_list<std::pair<int, std::uint8_t>> bytes = {}) {
    Frame f{};
    f[0] = command;
    for (auto [at, value] : bytes) f[static_cast<std::size_t>(at)] = value;
    qv::frame::Seal(f.data());
    return f;
}

// Collects what the card sends and how it comes and goes.
class SimCardTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_card.SetReportSink([this](const std::uint8_t* p, int n) {
            Frame f{};
            std::memcpy(f.data(), p, static_cast<std::size_t>(std::min(n, 64)));
            std::lock_guard<std::mutex> guard(m_mutex);
            m_reports.push_back(f);
            m_cv.notify_all();
        });
        m_card.SetPlugHandler([this](bool plugged, std::uint16_t pid) {
            std::lock_guard<std::mutex> guard(m_mutex);
            m_plugEvents.emplace_back(plugged, pid);
            m_cv.notify_all();
        });
    }
    void TearDown() override {
        m_card.SetReportSink(nullptr);
        m_card.SetPlugHandler(nullptr);
    }
    // Sends a frame and returns the reports that arrived at once.
    std::vector<Frame> Exchange(const Frame& f) {
        const std::size_t before = Reports().size();
        m_card.HandleHostFrame(f.data(), 40);
        auto all = Reports();
        return {all.begin() + static_cast<std::ptrdiff_t>(before), all.end()};
    }
    std::vector<Frame> Reports() {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_reports;
    }
    std::vector<Frame> WaitForReports(std::size_t count, int ms) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_cv.wait_for(lock, std::chrono::milliseconds(ms), [&] { return m_reports.size() >= count; });
        return m_reports;
    }
    std::vector<std::pair<bool, std::uint16_t>> WaitForPlugEvents(std::size_t count) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_cv.wait_for(lock, std::chrono::seconds(5), [&] { return m_plugEvents.size() >= count; });
        return m_plugEvents;
    }
    void EnterUpdateMode() {
        m_card.Unplug();
        m_card.Plug(SimCard::kUpdateProductId);
    }

    SimCard m_card;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<Frame> m_reports;
    std::vector<std::pair<bool, std::uint16_t>> m_plugEvents;
};

TEST_F(SimCardTest, RepliesCarryCommandPlusOneGoodStatusAndValidCrc) {
    for (std::uint8_t command : {0x90, 0x94, 0x9A, 0x26, 0x92, 0x02}) {
        auto replies = Exchange(Request(command, {{1, 0x12}, {2, 0x34}}));
        ASSERT_EQ(replies.size(), 1u) << int(command);
        EXPECT_EQ(replies[0][0], command + 1);
        EXPECT_EQ(replies[0][1], 0x12);
        EXPECT_EQ(replies[0][2], 0x34);
        EXPECT_EQ(replies[0][3], 0xFF);
        EXPECT_TRUE(qv::frame::HasValidCrc(replies[0].data()));
    }
    EXPECT_EQ(m_card.ReceivedFrames().size(), 6u);
}

TEST_F(SimCardTest, KeepsSessionParametersAndTheDataByte) {
    Exchange(Request(0x90, {{4, 1}}));
    EXPECT_TRUE(m_card.SessionOpen());
    // Two triples: id 7 = 0x0A5 with tag 1 in the high nibble, id 30 = 0xF02.
    Exchange(Request(0x94, {{4, 2}, {5, 7}, {6, 0x10}, {7, 0xA5}, {8, 30}, {9, 0x1F}, {10, 0x02}}));
    EXPECT_EQ(m_card.ParamValue(7), 0xA5);
    EXPECT_EQ(m_card.ParamValue(30), 0xF02);
    EXPECT_FALSE(m_card.ParamValue(8));
    Exchange(Request(0x9A, {{4, 0x42}}));
    EXPECT_EQ(m_card.Value9A(), 0x42);
    Exchange(Request(0x90, {{4, 0}}));
    EXPECT_FALSE(m_card.SessionOpen());
}

TEST_F(SimCardTest, DeviceInfoAndVersionCarryTheVersions) {
    auto info = Exchange(Request(0x26));
    ASSERT_EQ(info.size(), 1u);
    EXPECT_EQ(info[0][4], 10);
    EXPECT_EQ(info[0][6], 15);
    m_card.SetVersions(21, 16, 5);
    auto version = Exchange(Request(0x92));
    ASSERT_EQ(version.size(), 1u);
    EXPECT_EQ(version[0][4], 21);
    EXPECT_EQ(version[0][6], 16);
    EXPECT_EQ(version[0][14], 5);
}

TEST_F(SimCardTest, FirmwareBlocksAreTakenOnlyInUpdateMode) {
    EXPECT_TRUE(Exchange(Request(0x28, {{4, 0xAA}})).empty());
    EnterUpdateMode();
    EXPECT_TRUE(m_card.InUpdateMode());
    EXPECT_TRUE(Exchange(Request(0x90, {{4, 1}})).empty());  // no session in update mode
    auto first = Exchange(Request(0x28, {{1, 0}, {2, 0}, {4, 0xAA}, {35, 0xBB}}));
    auto second = Exchange(Request(0x28, {{1, 0}, {2, 1}, {4, 0xCC}}));
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0][0], 0x29);
    EXPECT_EQ(second[0][1], 0x00);
    EXPECT_EQ(second[0][2], 0x01);
    EXPECT_EQ(m_card.FirmwareBlocks(), 2);
    EXPECT_TRUE(m_card.FirmwareImage().empty());  // kept only once the card leaves update mode
    // Block 2048 would lie past the 64 KiB image.
    EXPECT_TRUE(Exchange(Request(0x28, {{1, 0x08}, {2, 0x00}})).empty());

    m_card.SetRestartDelays(0, 0);
    m_card.SetUpgradedFirmwareVersion(16);
    Exchange(Request(0x2A));
    EXPECT_EQ(m_card.ProductId(), SimCard::kDorbProductId);
    const auto image = m_card.FirmwareImage();
    ASSERT_EQ(image.size(), 64u);
    EXPECT_EQ(image[0], 0xAA);
    EXPECT_EQ(image[31], 0xBB);
    EXPECT_EQ(image[32], 0xCC);
    const auto info = Exchange(Request(0x26));
    ASSERT_EQ(info.size(), 1u);
    EXPECT_EQ(info[0][6], 16);
}

// What comes back after the 0x2A that ends an upgrade, by how the blocks came.
TEST_F(SimCardTest, AnImageIsKeptOnlyWhenEveryBlockCameInOrder) {
    struct Case {
        const char* name;
        std::vector<int> blocks;  // -1: the card is pulled and plugged again
        bool kept;
    };
    const Case cases[] = {
        {"in order", {0, 1, 2}, true},
        {"a block sent again after itself", {0, 1, 1, 2}, true},
        {"a gap", {0, 2}, false},
        {"an earlier block again", {0, 1, 0}, false},
        {"pulled while staging", {0, 1, -1, 2}, false},
        {"pulled, then written again from the start", {0, -1, 0, 1, 2}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimCard card;
        card.SetRestartDelays(0, 0);
        card.Unplug();
        card.Plug(SimCard::kUpdateProductId);
        for (int block : c.blocks) {
            if (block < 0) {
                card.Unplug();
                card.Plug();
                EXPECT_TRUE(card.InUpdateMode());
                continue;
            }
            card.HandleHostFrame(Request(0x28, {{2, static_cast<std::uint8_t>(block)}, {4, static_cast<std::uint8_t>(block + 1)}}).data(), 40);
        }
        card.HandleHostFrame(Request(0x2A).data(), 40);
        EXPECT_TRUE(card.IsPlugged());
        EXPECT_EQ(card.InUpdateMode(), !c.kept);
        EXPECT_EQ(card.FirmwareImage().size(), c.kept ? 3u * 32 : 0u);
        if (c.kept) {
            EXPECT_EQ(card.FirmwareImage()[64], 3);
        }
    }
}

TEST_F(SimCardTest, RestartSwitchesKeepTheCardAwayOrInItsMode) {
    m_card.SetRestartDelays(0, 0);
    m_card.SetSameModeReturns(2);
    for (int i = 0; i < 2; ++i) {
        Exchange(Request(0x2A));
        EXPECT_TRUE(m_card.IsPlugged());
        EXPECT_FALSE(m_card.InUpdateMode());
    }
    Exchange(Request(0x2A));
    EXPECT_TRUE(m_card.InUpdateMode());

    // Never back by itself; plugged again, it is in the mode it was heading for.
    m_card.SetNeverReturn(true);
    Exchange(Request(0x2A));
    EXPECT_FALSE(m_card.IsPlugged());
    m_card.Plug();
    EXPECT_EQ(m_card.ProductId(), SimCard::kDorbProductId);

    // Pulled while a restart is on its way: it does not come back by itself.
    m_card.SetNeverReturn(false);
    m_card.SetRestartDelays(1, 30);
    Exchange(Request(0x2A));
    m_card.Unplug();
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
    EXPECT_FALSE(m_card.IsPlugged());
    m_card.Plug();
    EXPECT_TRUE(m_card.InUpdateMode());
}

TEST_F(SimCardTest, RestartLeavesAndComesBackInTheOtherMode) {
    m_card.SetRestartDelays(1, 10);
    EXPECT_TRUE(Exchange(Request(0x2A)).empty());
    auto events = WaitForPlugEvents(2);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0], std::make_pair(false, SimCard::kDorbProductId));
    EXPECT_EQ(events[1], std::make_pair(true, SimCard::kUpdateProductId));
    Exchange(Request(0x2A));
    events = WaitForPlugEvents(4);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[2], std::make_pair(false, SimCard::kUpdateProductId));
    EXPECT_EQ(events[3], std::make_pair(true, SimCard::kDorbProductId));
    EXPECT_FALSE(m_card.InUpdateMode());
}

TEST_F(SimCardTest, RestartsIntoTheFamilysOwnNormalMode) {
    SimCard zenk(SimCard::kZenkProductId);
    zenk.Unplug();
    zenk.Plug(SimCard::kUpdateProductId);
    zenk.SetRestartDelays(1, 1);
    zenk.HandleHostFrame(Request(0x2A).data(), 40);
    for (int i = 0; i < 500 && zenk.ProductId() != SimCard::kZenkProductId; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_EQ(zenk.ProductId(), SimCard::kZenkProductId);
}

TEST_F(SimCardTest, SoundUploadKeepsHeaderAndBlocks) {
    // 40 bytes in two blocks to slot 2.
    Exchange(Request(0x02, {{4, 2}, {5, 2}, {8, 40}}));
    Frame block0 = Request(0x04);
    for (int i = 0; i < 32; ++i) block0[4 + i] = static_cast<std::uint8_t>(i);
    qv::frame::Seal(block0.data());
    Frame block1 = Request(0x04, {{4, 0xE0}, {11, 0xE7}, {12, 0x99}, {36, 1}});
    ASSERT_EQ(Exchange(block0).size(), 1u);
    auto reply = Exchange(block1);
    ASSERT_EQ(reply.size(), 1u);
    EXPECT_EQ(reply[0][0], 0x05);
    EXPECT_TRUE(Exchange(Request(0x04, {{36, 2}})).empty());  // beyond the announced count
    auto upload = m_card.SoundUpload();
    EXPECT_EQ(upload.slot, 2);
    EXPECT_EQ(upload.blockCount, 2u);
    EXPECT_EQ(upload.size, 40u);
    EXPECT_EQ(upload.blocksReceived, 2u);
    ASSERT_EQ(upload.data.size(), 40u);
    EXPECT_EQ(upload.data[31], 31);
    EXPECT_EQ(upload.data[32], 0xE0);
    EXPECT_EQ(upload.data[39], 0xE7);  // byte 8 of the last block; the rest is cut
}

// An upload frame with a reserved byte that is not 0 is a violation of the
// upload (told in its summary), once; data, key, count, size and index are not.
TEST_F(SimCardTest, AReservedByteOfAnUploadFrameThatIsNotZeroIsAViolation) {
    struct Case {
        std::pair<int, std::uint8_t> headerByte, blockByte;  // {0, 0}: none
        std::string violation;                               // empty: none
    };
    const Case cases[] = {
        {{0, 0}, {0, 0}, ""},
        {{1, 0x01}, {0, 0}, "the header: reserved byte 1 is 0x01"},
        {{3, 0x80}, {0, 0}, "the header: reserved byte 3 is 0x80"},
        {{11, 0x01}, {0, 0}, "the header: reserved byte 11 is 0x01"},
        {{38, 0xFF}, {3, 0x01}, "the header: reserved byte 38 is 0xFF"},
        {{0, 0}, {1, 0x10}, "block 1: reserved byte 1 is 0x10"},
        {{0, 0}, {3, 0x02}, "block 1: reserved byte 3 is 0x02"},
    };
    auto with = [](Frame f, std::pair<int, std::uint8_t> byte) {
        if (byte.first) f[static_cast<std::size_t>(byte.first)] = byte.second;
        qv::frame::Seal(f.data());
        return f;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.violation);
        // 40 bytes in two blocks to key 3; the data fills bytes 4 .. 35 and
        // the second block's index bytes 36 .. 38.
        ASSERT_EQ(Exchange(with(Request(0x02, {{4, 3}, {5, 2}, {8, 40}}), c.headerByte)).size(), 1u);
        Frame block0 = Request(0x04);
        for (int i = 4; i < 36; ++i) block0[static_cast<std::size_t>(i)] = 0xA5;
        ASSERT_EQ(Exchange(with(block0, {0, 0})).size(), 1u);
        for (int repeat = 0; repeat < 2; ++repeat)  // the second a retry
            ASSERT_EQ(Exchange(with(Request(0x04, {{4, 0xA5}, {35, 0xA5}, {36, 1}}), c.blockByte)).size(), 1u);
        const auto upload = m_card.SoundUpload();
        const std::string summary = qv::test::DescribeUpload(upload);
        std::vector<std::string> reserved;
        for (const std::string& v : upload.violations)
            if (v.find("reserved") != std::string::npos) reserved.push_back(v);
        EXPECT_EQ(reserved, c.violation.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.violation}) << summary;
        EXPECT_TRUE(c.violation.empty() || summary.find("violation: " + c.violation) != std::string::npos) << summary;
    }
}

TEST_F(SimCardTest, NotificationsAreSealedAndAcknowledgementsRecorded) {
    ASSERT_TRUE(m_card.SendNotification({{4, 2}, {25, 0x1FF}}));
    auto reports = Reports();
    ASSERT_EQ(reports.size(), 1u);
    const Frame& n = reports[0];
    EXPECT_EQ(n[0], 0x9E);
    EXPECT_EQ(n[3], 0);
    EXPECT_EQ(n[4], 2);
    EXPECT_EQ(n[5], 4);
    EXPECT_EQ(n[7], 2);
    EXPECT_EQ(n[8], 25);
    EXPECT_EQ(n[9], 0x01);
    EXPECT_EQ(n[10], 0xFF);
    EXPECT_TRUE(qv::frame::HasValidCrc(n.data()));
    EXPECT_EQ(m_card.ParamValue(25), 0x1FF);

    Frame ack = n;
    ack[0] = 0x9F;
    ack[3] = 0xFF;
    qv::frame::Seal(ack.data());
    EXPECT_TRUE(Exchange(ack).empty());
    ASSERT_EQ(m_card.Acknowledgements().size(), 1u);
    EXPECT_EQ(m_card.Acknowledgements()[0][3], 0xFF);
}

TEST_F(SimCardTest, FramesWithABadCrcOrUnknownCommandGetNoReply) {
    Frame bad = Request(0x26);
    bad[39] ^= 1;
    EXPECT_TRUE(Exchange(bad).empty());
    EXPECT_EQ(m_card.BadCrcFrames(), 1);
    EXPECT_TRUE(Exchange(Request(0x55)).empty());
    EXPECT_FALSE(m_card.ReceiveWrite(Request(0x26).data(), 39));
}

TEST_F(SimCardTest, ReplyFaultsSpoilOnlyTheMatchingReplies) {
    m_card.AddFault({SimFault::WrongCommand, 0x26});
    m_card.AddFault({SimFault::WrongStatus, 0x92});
    m_card.AddFault({SimFault::BadCrc, 0x90});
    m_card.AddFault({SimFault::NoReply, 0x9A, 1, 1});  // the second 0x9A

    auto wrongCommand = Exchange(Request(0x26));
    ASSERT_EQ(wrongCommand.size(), 1u);
    EXPECT_EQ(wrongCommand[0][0], 0x26);
    EXPECT_TRUE(qv::frame::HasValidCrc(wrongCommand[0].data()));
    auto wrongStatus = Exchange(Request(0x92));
    ASSERT_EQ(wrongStatus.size(), 1u);
    EXPECT_EQ(wrongStatus[0][3], 0);
    EXPECT_TRUE(qv::frame::HasValidCrc(wrongStatus[0].data()));
    auto badCrc = Exchange(Request(0x90, {{4, 1}}));
    ASSERT_EQ(badCrc.size(), 1u);
    EXPECT_FALSE(qv::frame::HasValidCrc(badCrc[0].data()));
    EXPECT_EQ(badCrc[0][0], 0x91);

    EXPECT_EQ(Exchange(Request(0x9A)).size(), 1u);
    EXPECT_TRUE(Exchange(Request(0x9A)).empty());
    EXPECT_EQ(Exchange(Request(0x9A)).size(), 1u);
    EXPECT_EQ(Exchange(Request(0x26))[0][0], 0x27);  // one time only
}

TEST_F(SimCardTest, AnyCommandRulesPassOverFramesWithoutReply) {
    m_card.AddFault({SimFault::NoReply, 0, 0, 2});
    Frame ack = Request(0x9F);
    EXPECT_TRUE(Exchange(ack).empty());
    EXPECT_TRUE(Exchange(Request(0x26)).empty());
    EXPECT_TRUE(Exchange(Request(0x92)).empty());
    EXPECT_EQ(Exchange(Request(0x92)).size(), 1u);
}

TEST_F(SimCardTest, LateReplyComesAfterTheDelay) {
    m_card.SetLateReplyDelay(60);
    m_card.AddFault({SimFault::LateReply, 0x26});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(Exchange(Request(0x26)).empty());
    auto reports = WaitForReports(1, 5000);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
    EXPECT_EQ(reports[0][0], 0x27);
}

TEST_F(SimCardTest, LateReplyIsLostWhenTheCardLeavesMeanwhile) {
    m_card.SetLateReplyDelay(40);
    m_card.AddFault({SimFault::LateReply, 0x26});
    Exchange(Request(0x26));
    m_card.Unplug();
    m_card.Plug();
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    EXPECT_TRUE(Reports().empty());
}

TEST_F(SimCardTest, WriteFailureKeepsTheFrameFromTheCard) {
    m_card.AddFault({SimFault::WriteFailure, 0, 0, 1});
    EXPECT_FALSE(m_card.ReceiveWrite(Request(0x9F).data(), 40));
    EXPECT_TRUE(m_card.ReceiveWrite(Request(0x9F).data(), 40));
    EXPECT_EQ(m_card.FailedWrites(), 1);
    EXPECT_EQ(m_card.ReceivedFrames().size(), 1u);
}

TEST_F(SimCardTest, UnplugInTheMiddleOfAFirmwareTransfer) {
    EnterUpdateMode();
    m_card.AddFault({SimFault::Unplug, 0x28, 2});
    EXPECT_EQ(Exchange(Request(0x28, {{2, 0}})).size(), 1u);
    EXPECT_EQ(Exchange(Request(0x28, {{2, 1}})).size(), 1u);
    EXPECT_TRUE(Exchange(Request(0x28, {{2, 2}})).empty());
    EXPECT_FALSE(m_card.IsPlugged());
    auto events = WaitForPlugEvents(3);
    EXPECT_EQ(events.back(), std::make_pair(false, SimCard::kUpdateProductId));
    EXPECT_FALSE(m_card.ReceiveWrite(Request(0x28, {{2, 3}}).data(), 40));
    EXPECT_FALSE(m_card.SendNotification({{1, 1}}));
    EXPECT_EQ(m_card.FirmwareBlocks(), 3);
}

TEST_F(SimCardTest, PulledBeforeAFrameTheWriteFails) {
    m_card.AddFault({SimFault::PulledBefore, 0x94, 1});
    EXPECT_EQ(Exchange(Request(0x94)).size(), 1u);
    EXPECT_FALSE(m_card.ReceiveWrite(Request(0x94).data(), 40));
    EXPECT_FALSE(m_card.IsPlugged());
    EXPECT_EQ(m_card.CountReceived(0x94), 1);
    m_card.Plug();
    EXPECT_FALSE(m_card.InUpdateMode());
}

}  // namespace
