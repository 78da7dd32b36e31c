#include <gtest/gtest.h>

#include <array>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "common/device/Frame.h"
#include "common/device/Protocol.h"
#include "tests/protocol/LogCapture.h"

namespace {

using Buffer = std::array<std::uint8_t, 64>;

class TestProtocol : public CProtocol {
public:
    TestProtocol() = default;
    explicit TestProtocol(IProtocolHook* hook) : CProtocol(hook) {}
    void OnRecvData(std::uint8_t*) override {}
    void AttachDeviceMgmt(ICommDeviceMgmt*) override {}
    void DetachDeviceMgmt() override {}
};

struct RecordingHook : IProtocolHook {
    std::vector<Buffer> sent, accepted;
    void OnFrameSending(std::uint8_t* frame) override { sent.push_back(Copy(frame)); }
    void OnReplyAccepted(std::uint8_t* reply) override { accepted.push_back(Copy(reply)); }
    static Buffer Copy(const std::uint8_t* bytes) {
        Buffer b{};
        std::copy(bytes, bytes + b.size(), b.begin());
        return b;
    }
};

Buffer GoodReply(std::uint8_t command) {
    Buffer reply{};
    reply[0] = command;
    reply[3] = 0xFF;
    reply[5] = 0x42;
    qv::frame::Seal(reply.data());
    return reply;
}

TEST(Protocol, AddCrcSealsByte39AndLeavesTheRestAlone) {
    TestProtocol protocol;
    EXPECT_EQ(protocol.GetPacketLength(), 40);
    Buffer frame{};
    frame[0] = 0x26;
    frame[45] = 0x77;
    EXPECT_EQ(protocol.AddCrc(frame.data()), 0xA9);
    EXPECT_EQ(frame[39], 0xA9);
    EXPECT_EQ(frame[45], 0x77);
    EXPECT_EQ(frame[40], 0);
}

TEST(Protocol, GoodReplyPassesWithoutLogging) {
    qv::test::LogCapture log;
    TestProtocol protocol;
    Buffer reply = GoodReply(0x27);
    EXPECT_EQ(protocol.CheckReply(reply.data(), 0x27), 1);
    EXPECT_TRUE(log.lines.empty());
}

TEST(Protocol, ChecksumFailureWinsOverCommandAndStatus) {
    qv::test::LogCapture log;
    TestProtocol protocol;
    Buffer reply = GoodReply(0x26);  // the request's command, not + 1
    reply[3] = 0x00;
    reply[39] ^= 0x5A;
    EXPECT_EQ(protocol.CheckReply(reply.data(), 0x27), 0);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].function, "CProtocol::CheckReply");
    char expected[96];
    std::snprintf(expected, sizeof expected,
                  "CheckReply error: reply crc 0x%02x != 0x%02x  cmd=0x26", reply[39],
                  qv::frame::Crc8(reply.data(), 39));
    EXPECT_EQ(log.lines[0].text, expected);
}

TEST(Protocol, CommandThenStatusAreTested) {
    qv::test::LogCapture log;
    TestProtocol protocol;
    Buffer sameCommand = GoodReply(0x26);
    EXPECT_EQ(protocol.CheckReply(sameCommand.data(), 0x27), 0);

    Buffer zeroStatus = GoodReply(0x27);
    zeroStatus[3] = 0x00;
    qv::frame::Seal(zeroStatus.data());
    EXPECT_EQ(protocol.CheckReply(zeroStatus.data(), 0x27), 0);

    Buffer both = GoodReply(0x91);
    both[3] = 0x01;
    qv::frame::Seal(both.data());
    EXPECT_EQ(protocol.CheckReply(both.data(), 0x27), 0);

    ASSERT_EQ(log.lines.size(), 3u);
    EXPECT_EQ(log.lines[0].text, "CheckReply error: reply cmd 0x26 != 0x27");
    EXPECT_EQ(log.lines[1].text, "CheckReply error: reply falg 0x00 != 0xff  cmd=0x27");
    EXPECT_EQ(log.lines[2].text, "CheckReply error: reply cmd 0x91 != 0x27");
}

TEST(Protocol, OnlyTheLowEightBitsOfTheExpectedCommandCount) {
    TestProtocol protocol;
    Buffer reply = GoodReply(0x00);
    EXPECT_EQ(protocol.CheckReply(reply.data(), 0x100), 1);  // reply to command 0xFF
    Buffer reply93 = GoodReply(0x93);
    EXPECT_EQ(protocol.CheckReply(reply93.data(), 0x7F93), 1);
    EXPECT_EQ(protocol.CheckReply(reply93.data(), 0x94), 0);
}

TEST(Protocol, BytesPastTheFrameNeverMatter) {
    TestProtocol protocol;
    Buffer reply = GoodReply(0x95);
    for (int i = 40; i < 64; ++i) reply[i] = static_cast<std::uint8_t>(0xC0 + i);
    EXPECT_EQ(protocol.CheckReply(reply.data(), 0x95), 1);

    Buffer broken = GoodReply(0x95);
    broken[39] ^= 1;
    for (int i = 40; i < 64; ++i) broken[i] = 0xFF;
    EXPECT_EQ(protocol.CheckReply(broken.data(), 0x95), 0);
}

TEST(Protocol, HookSeesOutgoingFramesAndAcceptedReplies) {
    TestProtocol bare;
    Buffer frame{};
    frame[0] = 0x90;
    bare.OnBeforeSend(frame.data());  // no hook: nothing happens
    bare.OnAfterReply(frame.data());

    RecordingHook hook;
    TestProtocol hooked(&hook);
    hooked.OnBeforeSend(frame.data());
    Buffer reply = GoodReply(0x91);
    hooked.OnAfterReply(reply.data());
    ASSERT_EQ(hook.sent.size(), 1u);
    EXPECT_EQ(hook.sent[0], frame);
    ASSERT_EQ(hook.accepted.size(), 1u);
    EXPECT_EQ(hook.accepted[0], reply);
}

}  // namespace
