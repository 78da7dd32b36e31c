#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <utility>
#include <vector>

#include "common/device/Frame.h"
#include "plugin/device/QuorvelProtocol.h"
#include "plugin/device/RecvDataListener.h"
#include "tests/protocol/LogCapture.h"
#include "tests/support/FakeDeviceMgmt.h"

namespace {

using Frame = CQuorvelProtocol::Frame;
using qv::test::FakeDeviceMgmt;

// A zeroed frame with the given bytes, sealed as the manager sends it.
Frame Sealed(std::initializer_list<std::pair<int, std::uint8_t>> bytes) {
    Frame frame{};
    for (auto [index, value] : bytes) frame[index] = value;
    qv::frame::Seal(frame.data());
    return frame;
}

struct RecordingListener : IRecvDataListener {
    std::vector<Frame> frames;
    bool takes = true;
    bool OnRecvData(const Frame& frame) override {
        frames.push_back(frame);
        return takes;
    }
};

class QuorvelProtocolTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(manager.Connect(nullptr, &protocol), 1); }

    void ExpectOneRequest(const Frame& frame, int attempts, int timeoutMs) {
        const auto requests = manager.Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].frame, frame);
        EXPECT_EQ(requests[0].attempts, attempts);
        EXPECT_EQ(requests[0].timeoutMs, timeoutMs);
    }

    CQuorvelProtocol protocol;
    FakeDeviceMgmt manager;
};

TEST_F(QuorvelProtocolTest, SessionFlagFrames) {
    EXPECT_EQ(protocol.SendSessionFlag(1), 1);
    ExpectOneRequest(Sealed({{0, 0x90}, {4, 1}}), 3, 500);
    EXPECT_EQ(manager.Requests()[0].frame[39], 0x7B);

    manager.ClearRecords();
    EXPECT_EQ(protocol.SendSessionFlag(0), 1);
    ExpectOneRequest(Sealed({{0, 0x90}}), 3, 500);
}

TEST_F(QuorvelProtocolTest, Command9ACarriesItsDataByte) {
    EXPECT_EQ(protocol.SendCommand9A(0x5C), 1);
    ExpectOneRequest(Sealed({{0, 0x9A}, {4, 0x5C}}), 3, 500);
}

TEST_F(QuorvelProtocolTest, DeviceInfoReturnsBytesFourAndSix) {
    manager.SetResponder([](const Frame& request, Frame& reply) {
        FakeDeviceMgmt::GoodReply(request, reply);
        reply[4] = 0x11;
        reply[6] = 15;
        return true;
    });
    std::uint8_t byte4 = 0xEE, byte6 = 0xEE;
    EXPECT_EQ(protocol.GetDeviceInfo(byte4, byte6), 1);
    ExpectOneRequest(Sealed({{0, 0x26}}), 4, 500);
    EXPECT_EQ(manager.Requests()[0].frame[39], 0xA9);
    EXPECT_EQ(byte4, 0x11);
    EXPECT_EQ(byte6, 15);
}

TEST_F(QuorvelProtocolTest, DeviceInfoAcceptsAReplyWithoutValidChecksum) {
    manager.SetResponder([](const Frame&, Frame& reply) {
        reply = Frame{};
        reply[0] = 0x27;
        reply[3] = 0xFF;
        reply[6] = 21;
        reply[39] = static_cast<std::uint8_t>(~qv::frame::Crc8(reply.data(), 39));
        return true;
    });
    std::uint8_t byte4 = 0, byte6 = 0;
    EXPECT_EQ(protocol.GetDeviceInfo(byte4, byte6), 1);
    EXPECT_EQ(byte6, 21);
}

TEST_F(QuorvelProtocolTest, DeviceInfoFailureClearsTheOutputs) {
    manager.SetResponder([](const Frame&, Frame&) { return false; });
    std::uint8_t byte4 = 9, byte6 = 9;
    EXPECT_EQ(protocol.GetDeviceInfo(byte4, byte6), 0);
    EXPECT_EQ(byte4, 0);
    EXPECT_EQ(byte6, 0);
}

TEST_F(QuorvelProtocolTest, FirmwareVersionCopiesTheWholeReply) {
    manager.SetResponder([](const Frame& request, Frame& reply) {
        FakeDeviceMgmt::GoodReply(request, reply);
        for (int i = 4; i < 39; ++i) reply[i] = static_cast<std::uint8_t>(i);
        qv::frame::Seal(reply.data());
        reply[63] = 0x3F;
        return true;
    });
    std::uint8_t reply[64] = {};
    EXPECT_EQ(protocol.QueryFirmwareVersion(reply), 1);
    ExpectOneRequest(Sealed({{0, 0x92}}), 3, 300);
    EXPECT_EQ(reply[0], 0x93);
    EXPECT_EQ(reply[20], 20);
    EXPECT_EQ(reply[63], 0x3F);
    EXPECT_EQ(protocol.QueryFirmwareVersion(nullptr), 0);
}

TEST_F(QuorvelProtocolTest, FirmwareVersionRejectsABadChecksumAndLeavesTheBuffer) {
    manager.SetResponder([](const Frame& request, Frame& reply) {
        FakeDeviceMgmt::GoodReply(request, reply);
        reply[39] ^= 1;
        return true;
    });
    std::uint8_t reply[64];
    std::memset(reply, 0xAB, sizeof reply);
    EXPECT_EQ(protocol.QueryFirmwareVersion(reply), 0);
    EXPECT_EQ(reply[0], 0xAB);
}

TEST_F(QuorvelProtocolTest, RestartIsPostedWithoutWaiting) {
    protocol.RestartDevice();
    EXPECT_TRUE(manager.Requests().empty());
    const auto posted = manager.Posted();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0], Sealed({{0, 0x2A}}));
}

TEST_F(QuorvelProtocolTest, SendFramesStopsAtTheFirstFailure) {
    EXPECT_EQ(protocol.SendFrames({}), 1);
    EXPECT_TRUE(manager.Requests().empty());

    std::vector<Frame> frames(3);
    for (int i = 0; i < 3; ++i) {
        frames[i][0] = 0x94;
        frames[i][2] = static_cast<std::uint8_t>(i);
    }
    const std::vector<Frame> original = frames;
    manager.SetResponder([](const Frame& request, Frame& reply) {
        return request[2] != 1 && FakeDeviceMgmt::GoodReply(request, reply);
    });
    EXPECT_EQ(protocol.SendFrames(frames), 0);
    const auto requests = manager.Requests();
    ASSERT_EQ(requests.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(requests[i].frame, Sealed({{0, 0x94}, {2, static_cast<std::uint8_t>(i)}}));
        EXPECT_EQ(requests[i].attempts, 3);
        EXPECT_EQ(requests[i].timeoutMs, 500);
    }
    EXPECT_EQ(frames, original);

    manager.ClearRecords();
    manager.SetResponder(&FakeDeviceMgmt::GoodReply);
    EXPECT_EQ(protocol.SendFrames(frames), 1);
    EXPECT_EQ(manager.Requests().size(), 3u);
}

TEST_F(QuorvelProtocolTest, FirmwareOfExactlyOneBlock) {
    std::vector<std::uint8_t> image(32);
    for (int i = 0; i < 32; ++i) image[i] = static_cast<std::uint8_t>(0xA0 + i);
    EXPECT_EQ(protocol.UpgradeFirmware(image.data(), 32), 1);
    const auto requests = manager.Requests();
    ASSERT_EQ(requests.size(), 1u);
    Frame expected{};
    expected[0] = 0x28;
    std::memcpy(expected.data() + 4, image.data(), 32);
    qv::frame::Seal(expected.data());
    EXPECT_EQ(requests[0].frame, expected);
    EXPECT_EQ(requests[0].attempts, 3);
    EXPECT_EQ(requests[0].timeoutMs, 5000);
}

TEST_F(QuorvelProtocolTest, FirmwareLastPartialBlockIsZeroPadded) {
    std::vector<std::uint8_t> image(33, 0x5A);
    image[32] = 0xC3;
    EXPECT_EQ(protocol.UpgradeFirmware(image.data(), 33), 1);
    const auto requests = manager.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].frame, Sealed({{0, 0x28}, {2, 1}, {4, 0xC3}}));
}

TEST_F(QuorvelProtocolTest, FirmwareOfTheLargestSizeNumbersEveryBlock) {
    std::vector<std::uint8_t> image(65536);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i / 32);
    EXPECT_EQ(protocol.UpgradeFirmware(image.data(), 65536), 1);
    const auto requests = manager.Requests();
    ASSERT_EQ(requests.size(), 2048u);
    for (int index = 0; index < 2048; ++index) {
        const Frame& f = requests[index].frame;
        ASSERT_EQ(f[0], 0x28);
        ASSERT_EQ(f[1] * 256 + f[2], index);
        ASSERT_EQ(f[4], static_cast<std::uint8_t>(index));
        ASSERT_EQ(f[35], static_cast<std::uint8_t>(index));
        ASSERT_EQ(f[36], 0);
    }
}

TEST_F(QuorvelProtocolTest, FirmwareRefusesBadParameters) {
    qv::test::LogCapture log;
    std::vector<std::uint8_t> image(65537);
    EXPECT_EQ(protocol.UpgradeFirmware(image.data(), 65537), 0);
    EXPECT_EQ(protocol.UpgradeFirmware(image.data(), 0), 0);
    EXPECT_EQ(protocol.UpgradeFirmware(nullptr, 32), 0);
    EXPECT_TRUE(manager.Requests().empty());
    ASSERT_EQ(log.lines.size(), 3u);
    EXPECT_EQ(log.lines[0].text, "invalid parameter.\n");
}

TEST_F(QuorvelProtocolTest, FirmwareStopsAtTheFirstFailedBlock) {
    qv::test::LogCapture log;
    manager.SetResponder([](const Frame& request, Frame& reply) {
        return request[2] != 2 && FakeDeviceMgmt::GoodReply(request, reply);
    });
    std::vector<std::uint8_t> image(200, 1);
    EXPECT_EQ(protocol.UpgradeFirmware(image.data(), 200), 0);
    EXPECT_EQ(manager.Requests().size(), 3u);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].function, "CQuorvelProtocol::UpgradeFirmware");
    EXPECT_EQ(log.lines[0].text, "send cmd--0x10 failed. index=2\n");
}

TEST_F(QuorvelProtocolTest, FirmwareBlockRepliesSkipTheChecksumButNotTheStatus) {
    qv::test::LogCapture log;
    int answered = 0;
    manager.SetResponder([&](const Frame& request, Frame& reply) {
        FakeDeviceMgmt::GoodReply(request, reply);
        reply[39] ^= 0xFF;
        if (++answered == 2) reply[3] = 0x00;
        return true;
    });
    std::vector<std::uint8_t> image(64, 7);
    EXPECT_EQ(protocol.UpgradeFirmware(image.data(), 64), 0);
    EXPECT_EQ(answered, 2);
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0].function, "CQuorvelProtocol::CheckReply");
    EXPECT_EQ(log.lines[0].text, "CheckReply error: reply falg 0x00 != 0xff  cmd=0x29");
}

TEST_F(QuorvelProtocolTest, RawRepliesAreDecidedByTheExpectedCommand) {
    qv::test::LogCapture log;
    Frame noCrc = Sealed({{0, 0x27}, {3, 0xFF}});
    noCrc[39] ^= 0x10;
    EXPECT_EQ(protocol.CheckReply(noCrc.data(), 0x27), 1);
    EXPECT_EQ(protocol.CheckReply(noCrc.data(), 0x127), 1);

    Frame wrongCommand = noCrc;
    wrongCommand[0] = 0x26;
    EXPECT_EQ(protocol.CheckReply(wrongCommand.data(), 0x27), 0);

    Frame otherReply = Sealed({{0, 0x93}, {3, 0xFF}});
    otherReply[39] ^= 0x10;
    EXPECT_EQ(protocol.CheckReply(otherReply.data(), 0x93), 0);
    otherReply[39] ^= 0x10;
    EXPECT_EQ(protocol.CheckReply(otherReply.data(), 0x93), 1);

    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0].function, "CQuorvelProtocol::CheckReply");
    EXPECT_EQ(log.lines[0].text, "CheckReply error: reply cmd 0x26 != 0x27");
    EXPECT_EQ(log.lines[1].function, "CProtocol::CheckReply");
}

TEST(QuorvelProtocolDetached, EveryCommandFailsWithoutTransport) {
    CQuorvelProtocol protocol;
    FakeDeviceMgmt manager;
    ASSERT_EQ(manager.Connect(nullptr, &protocol), 1);
    manager.Disconnect();

    std::uint8_t byte4 = 3, byte6 = 3;
    EXPECT_EQ(protocol.GetDeviceInfo(byte4, byte6), 0);
    EXPECT_EQ(byte4, 0);
    EXPECT_EQ(byte6, 0);
    std::uint8_t reply[64] = {};
    EXPECT_EQ(protocol.QueryFirmwareVersion(reply), 0);
    std::uint8_t image[32] = {};
    EXPECT_EQ(protocol.UpgradeFirmware(image, 32), 0);
    EXPECT_EQ(protocol.SendFrames({Frame{}}), 0);
    EXPECT_EQ(protocol.SendSessionFlag(1), 0);
    EXPECT_EQ(protocol.SendCommand9A(1), 0);
    protocol.RestartDevice();
    EXPECT_EQ(protocol.CheckDevicePid(), -1);
    Frame notification = Sealed({{0, 0x9E}});
    protocol.OnRecvData(notification.data());  // nothing to acknowledge through
    EXPECT_TRUE(manager.Requests().empty());
    EXPECT_TRUE(manager.Posted().empty());
}

TEST_F(QuorvelProtocolTest, DevicePidModes) {
    EXPECT_EQ(protocol.CheckDevicePid(), -1);  // no device

    manager.SetDevicePath(u"", true);
    EXPECT_EQ(protocol.CheckDevicePid(), -1);  // no path

    const std::pair<const char16_t*, int> cases[] = {
        {u"/dev/hidraw3#VID_2B53&PID_0036#0001", 0},
        {u"\\\\?\\hid#vid_2b53&pid_0036&mi_00#7&1a2b", 0},
        {u"/dev/hidraw3#VID_2B53&PID_0020#0001", 1},
        {u"/dev/hidraw3#VID_2B53&PID_001D#0001", -1},
        {u"/dev/hidraw3#VID_1234&PID_0036#0001", -1},
        {u"/dev/hidraw3#VID_2B53&PID_00", -1},
        {u"/dev/hidraw3", -1},
        {u"", -1},
    };
    for (auto [path, mode] : cases) {
        manager.SetDevicePath(std::u16string(path));
        EXPECT_EQ(protocol.CheckDevicePid(), mode);
    }
}

TEST(QuorvelProtocolFamily, NormalModeProductIdIsTheFamilys) {
    CQuorvelProtocol protocol(0x001D);
    FakeDeviceMgmt manager;
    ASSERT_EQ(manager.Connect(nullptr, &protocol), 1);
    manager.SetDevicePath(u"#VID_2B53&PID_001D");
    EXPECT_EQ(protocol.CheckDevicePid(), 0);
    manager.SetDevicePath(u"#VID_2B53&PID_0036");
    EXPECT_EQ(protocol.CheckDevicePid(), -1);
}

class NotificationTest : public QuorvelProtocolTest {
protected:
    void SetUp() override {
        QuorvelProtocolTest::SetUp();
        protocol.SetRecvDataListener(&listener);
    }
    void TearDown() override { protocol.SetRecvDataListener(nullptr); }

    static Frame Notification() {
        Frame f = Sealed({{0, 0x9E}, {4, 2}, {5, 7}, {6, 0x01}, {7, 0x20}, {8, 9}, {10, 0x33}});
        f[50] = 0x50;  // past the frame: copied as received
        return f;
    }
    // The acknowledgement as it goes on the wire: re-sealed by the manager.
    static Frame AckOf(const Frame& received, std::uint8_t status) {
        Frame ack = received;
        ack[0] = 0x9F;
        ack[3] = status;
        qv::frame::Seal(ack.data());
        return ack;
    }

    RecordingListener listener;
};

TEST_F(NotificationTest, OnlyNotificationsAreHandled) {
    for (int command : {0x00, 0x27, 0x91, 0x95, 0x9D, 0x9F, 0xFF}) {
        Frame f = Sealed({{0, static_cast<std::uint8_t>(command)}});
        protocol.OnRecvData(f.data());
    }
    EXPECT_TRUE(manager.Posted().empty());
    EXPECT_TRUE(listener.frames.empty());
    protocol.OnRecvData(nullptr);
}

TEST_F(NotificationTest, GoodNotificationIsAcknowledgedAndPassedOn) {
    Frame received = Notification();
    protocol.OnRecvData(received.data());
    const auto posted = manager.Posted();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0], AckOf(Notification(), 0xFF));
    ASSERT_EQ(listener.frames.size(), 1u);
    EXPECT_EQ(listener.frames[0], Notification());
    EXPECT_EQ(received, Notification());
}

TEST_F(NotificationTest, BadChecksumIsAcknowledgedWith03AndDropped) {
    qv::test::LogCapture log;
    Frame received = Notification();
    received[39] ^= 0x01;
    protocol.OnRecvData(received.data());
    const auto posted = manager.Posted();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0], AckOf(received, 0x03));
    EXPECT_TRUE(listener.frames.empty());
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].function, "CQuorvelProtocol::OnRecvData");
}

TEST_F(NotificationTest, NonZeroStatusByteWinsOverABadChecksum) {
    qv::test::LogCapture log;
    Frame flagged = Notification();
    flagged[3] = 0x01;
    qv::frame::Seal(flagged.data());
    protocol.OnRecvData(flagged.data());

    Frame both = Notification();
    both[3] = 0x02;  // left unsealed: the checksum is wrong too
    protocol.OnRecvData(both.data());

    const auto posted = manager.Posted();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0], AckOf(flagged, 0xA0));
    EXPECT_EQ(posted[1], AckOf(both, 0xA0));
    EXPECT_TRUE(listener.frames.empty());
    ASSERT_EQ(log.lines.size(), 3u);
    EXPECT_EQ(log.lines[0].text, "CheckReply error: reply falg 0x01 != 0  cmd=0x9e");
}

TEST_F(NotificationTest, AGoodFrameNobodyTakesIsRefusedNotAcknowledgedAsKept) {
    listener.takes = false;
    protocol.OnRecvData(Notification().data());
    protocol.SetRecvDataListener(nullptr);
    protocol.OnRecvData(Notification().data());
    const auto posted = manager.Posted();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0], AckOf(Notification(), 0xA0));
    EXPECT_EQ(posted[1], AckOf(Notification(), 0xA0));
    EXPECT_EQ(listener.frames.size(), 1u);
}

}  // namespace
