#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

#include "common/device/DeviceManager.h"
#include "common/device/Frame.h"
#include "platform/os/Log.h"
#include "tests/device/LogProbe.h"
#include "tests/support/FakeDevice.h"
#include "tests/support/TestProtocol.h"

namespace {

using Buffer = std::array<std::uint8_t, qv::frame::kBufferSize>;

Buffer MakeFrame(std::uint8_t command, std::uint8_t tag = 0) {
    Buffer frame{};
    frame[0] = command;
    frame[4] = tag;
    return frame;
}

void Push(FakeDevice* device, const Buffer& report) {
    device->PushReport(report.data(), static_cast<int>(report.size()));
}

long ElapsedMs(std::chrono::steady_clock::time_point since) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - since)
                                 .count());
}

void QuietTraces(const char*) {}

class DeviceManagerTest : public ::testing::Test {
protected:
    void SetUp() override { qv::os::SetDebugOutputHook(QuietTraces); }
    void TearDown() override {
        manager.reset();
        qv::os::SetDebugOutputHook(nullptr);
    }

    // Connects a new fake card; the manager owns it from here on.
    FakeDevice* Connect(int inputLength = 64, int outputLength = 40) {
        auto* device = new FakeDevice(u"\\\\?\\hid#VID_2B53&PID_0011#1", inputLength, outputLength);
        EXPECT_EQ(manager->Connect(device, &protocol), TRUE);
        return device;
    }

    LogProbe log;
    TestProtocol protocol;  // outlives the manager
    std::unique_ptr<CDeviceManager> manager = std::make_unique<CDeviceManager>();
};

TEST_F(DeviceManagerTest, TheReplyIsTheReportCarryingCommandPlusOne) {
    FakeDevice* device = Connect();
    device->SetResponder([device](const std::uint8_t* frame, int) {
        Push(device, MakeFrame(0x9E, 1));                 // a notification
        Push(device, MakeFrame(frame[0], 2));             // the request's own command
        Push(device, TestProtocol::MakeReply(frame));
    });
    Buffer frame = MakeFrame(0x26, 0x55);
    Buffer reply;
    reply.fill(0xEE);
    ASSERT_EQ(manager->SendAndReceive(frame.data(), reply.data(), 3, 2000), TRUE);

    EXPECT_EQ(reply[0], 0x27);
    EXPECT_EQ(reply[3], 0xFF);
    EXPECT_EQ(reply[4], 0x55);
    EXPECT_TRUE(qv::frame::HasValidCrc(reply.data()));
    EXPECT_EQ(protocol.AfterReplies(), 1);

    auto written = device->Written();
    ASSERT_EQ(written.size(), 1u);
    ASSERT_EQ(written[0].size(), 40u);
    EXPECT_EQ(written[0][0], 0x26);
    EXPECT_TRUE(qv::frame::HasValidCrc(written[0].data()));

    ASSERT_TRUE(protocol.WaitForReceived(2, 2000));
    auto received = protocol.Received();
    EXPECT_EQ(received[0][0], 0x9E);
    EXPECT_EQ(received[1][0], 0x26);
}

TEST_F(DeviceManagerTest, RetriesResendTheSameBytes) {
    FakeDevice* device = Connect();
    device->FailNextWrites(1);
    Buffer frame = MakeFrame(0x92, 7);
    Buffer reply{};
    EXPECT_EQ(manager->SendAndReceive(frame.data(), reply.data(), 3, 20), FALSE);

    EXPECT_EQ(device->WriteCalls(), 3);
    auto written = device->Written();
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0], written[1]);
    EXPECT_TRUE(qv::frame::HasValidCrc(written[0].data()));
    EXPECT_EQ(reply, Buffer{});
    EXPECT_EQ(log.Count("CDeviceManager::SendAndReceive: Send failed. cmd=0x92"), 1);
    EXPECT_EQ(log.Count("CDeviceManager::SendAndReceive: WaitTimeout. cmd=0x92"), 2);

    Buffer none{};
    EXPECT_EQ(manager->SendAndReceive(none.data(), reply.data(), 0, 20), FALSE);
    EXPECT_EQ(device->WriteCalls(), 3) << "no attempts, nothing written";
}

TEST_F(DeviceManagerTest, ALateReplyToTheFirstAttemptSatisfiesTheSecond) {
    FakeDevice* device = Connect();
    bool replied = false;
    // The card answers the first frame after its wait has timed out and
    // before the second attempt begins: the reply is handed over (the
    // notification behind it has arrived) while no wait runs.
    log.onLine = [&](const std::string& text) {
        if (replied || text.rfind("WaitTimeout", 0) != 0) return;
        replied = true;
        Push(device, TestProtocol::MakeReply(device->Written().at(0).data()));
        Push(device, MakeFrame(0x9E));
        EXPECT_TRUE(protocol.WaitForReceived(1, 5000));
    };
    Buffer frame = MakeFrame(0x94, 3);
    Buffer reply{};
    ASSERT_EQ(manager->SendAndReceive(frame.data(), reply.data(), 3, 50), TRUE);
    EXPECT_EQ(device->Written().size(), 2u);
    EXPECT_EQ(reply[0], 0x95);
    EXPECT_EQ(log.Count("CDeviceManager::SendAndReceive: WaitTimeout. cmd=0x94"), 1);
}

TEST_F(DeviceManagerTest, ARejectedReplyCountsAsATimeout) {
    FakeDevice* device = Connect();
    int writes = 0;
    device->SetResponder([&](const std::uint8_t* frame, int) {
        Buffer reply = TestProtocol::MakeReply(frame);
        if (++writes == 1) {
            reply[3] = 0x00;  // bad status
            qv::frame::Seal(reply.data());
        } else if (writes == 2) {
            reply[39] ^= 0x5A;  // bad checksum
        }
        Push(device, reply);
    });
    Buffer frame = MakeFrame(0x28, 9);
    Buffer reply{};
    ASSERT_EQ(manager->SendAndReceive(frame.data(), reply.data(), 3, 2000), TRUE);
    EXPECT_EQ(writes, 3);
    EXPECT_EQ(protocol.Rejected(), 2);
    EXPECT_EQ(protocol.AfterReplies(), 1);
    EXPECT_EQ(log.Count("CDeviceManager::SendAndReceive: WaitTimeout. cmd=0x28"), 2);
    EXPECT_TRUE(protocol.Received().empty()) << "rejected replies are not notifications";
}

TEST_F(DeviceManagerTest, UnsolicitedReportsReachOnRecvData) {
    FakeDevice* device = Connect(32, 40);  // short input reports
    Buffer notification = MakeFrame(0x9E, 4);
    std::memset(notification.data() + 5, 0xAB, notification.size() - 5);
    Push(device, notification);
    Push(device, MakeFrame(0x27));  // a reply command while nobody waits

    ASSERT_TRUE(protocol.WaitForReceived(2, 2000));
    auto received = protocol.Received();
    EXPECT_EQ(received[0][0], 0x9E);
    EXPECT_EQ(received[0][31], 0xAB);
    EXPECT_EQ(received[0][32], 0x00) << "the buffer is 64 bytes, zero past the report";
    EXPECT_EQ(received[1][0], 0x27);
}

TEST_F(DeviceManagerTest, CommandFFWaitsForReplyZeroWhichNeverMatches) {
    FakeDevice* device = Connect();
    device->SetResponder([device](const std::uint8_t* frame, int) {
        Push(device, TestProtocol::MakeReply(frame));  // byte 0 wraps to 0x00
    });
    Buffer frame = MakeFrame(0xFF);
    Buffer reply{};
    EXPECT_EQ(manager->SendAndReceive(frame.data(), reply.data(), 2, 20), FALSE);
    ASSERT_TRUE(protocol.WaitForReceived(2, 2000));
    EXPECT_EQ(protocol.Received()[0][0], 0x00);
}

TEST_F(DeviceManagerTest, ConnectRefusesMissingPartsAndFailedOpen) {
    EXPECT_EQ(manager->Connect(nullptr, &protocol), FALSE);

    auto* orphan = new FakeDevice();
    auto orphanDeleted = orphan->DeletedFlag();
    EXPECT_EQ(manager->Connect(orphan, nullptr), FALSE);
    EXPECT_TRUE(*orphanDeleted);

    auto* closed = new FakeDevice();
    closed->SetFailOpen(true);
    auto closedDeleted = closed->DeletedFlag();
    EXPECT_EQ(manager->Connect(closed, &protocol), FALSE);
    EXPECT_EQ(manager->IsConnected(), FALSE);
    EXPECT_EQ(manager->GetDevice(), closed) << "attached but closed";
    EXPECT_EQ(protocol.Attaches(), 0);

    Buffer frame = MakeFrame(0x26);
    Buffer reply{};
    EXPECT_EQ(manager->SendAndReceive(frame.data(), reply.data(), 2, 20), FALSE);

    auto startedAt = std::chrono::steady_clock::now();
    manager->Disconnect();
    EXPECT_LT(ElapsedMs(startedAt), 1500) << "no receive loop: nothing to wait for";
    EXPECT_TRUE(*closedDeleted);
    EXPECT_EQ(manager->GetDevice(), nullptr);
}

TEST_F(DeviceManagerTest, ConnectChecksThePacketLengthAgainstTheOutputReport) {
    auto* wide = new FakeDevice(u"p", 64, 64);
    auto wideDeleted = wide->DeletedFlag();
    EXPECT_EQ(manager->Connect(wide, &protocol), FALSE);
    EXPECT_TRUE(*wideDeleted);
    EXPECT_EQ(manager->GetDevice(), nullptr);
    EXPECT_EQ(protocol.Attaches(), 0);

    Connect(64, 40);
    EXPECT_EQ(manager->IsConnected(), TRUE);
    EXPECT_EQ(protocol.Manager(), manager.get());
}

TEST_F(DeviceManagerTest, ConnectWhileConnectedReplacesTheDevice) {
    FakeDevice* first = Connect();
    auto firstDeleted = first->DeletedFlag();
    ASSERT_TRUE(first->WaitUntilReading(2000));
    FakeDevice* second = Connect();
    EXPECT_TRUE(*firstDeleted);
    EXPECT_EQ(manager->GetDevice(), second);

    second->SetResponder([second](const std::uint8_t* frame, int) {
        Push(second, TestProtocol::MakeReply(frame));
    });
    Buffer frame = MakeFrame(0x90, 1);
    Buffer reply{};
    EXPECT_EQ(manager->SendAndReceive(frame.data(), reply.data(), 1, 2000), TRUE);
}

TEST_F(DeviceManagerTest, SendNotReceiveTriesFiveTimes) {
    Buffer ack = MakeFrame(0x9F);
    EXPECT_EQ(manager->SendNotReceive(ack.data()), FALSE) << "no device";

    FakeDevice* device = Connect();
    device->FailNextWrites(100);
    EXPECT_EQ(manager->SendNotReceive(ack.data()), FALSE);
    EXPECT_EQ(device->WriteCalls(), 5);
    EXPECT_EQ(log.Count("CDeviceManager::SendNotReceive: send failed. cmd=0x9f"), 5);

    device->FailNextWrites(2);
    EXPECT_EQ(manager->SendNotReceive(ack.data()), TRUE);
    EXPECT_EQ(device->WriteCalls(), 8);
    auto written = device->Written();
    ASSERT_EQ(written.size(), 1u);
    EXPECT_TRUE(qv::frame::HasValidCrc(written[0].data()));
    EXPECT_EQ(protocol.BeforeSends(), 2);
}

TEST_F(DeviceManagerTest, DisconnectDuringABlockedReadReturnsPromptly) {
    FakeDevice* device = Connect();
    auto deleted = device->DeletedFlag();
    ASSERT_TRUE(device->WaitUntilReading(2000));

    auto startedAt = std::chrono::steady_clock::now();
    manager->Disconnect();
    EXPECT_LT(ElapsedMs(startedAt), 1500);
    EXPECT_TRUE(*deleted);
    EXPECT_EQ(manager->IsConnected(), FALSE);
    EXPECT_EQ(protocol.Manager(), nullptr);
    EXPECT_EQ(protocol.Detaches(), 1);
}

TEST_F(DeviceManagerTest, DisconnectWhileASenderWaitsEndsItsRequest) {
    FakeDevice* device = Connect();
    auto deleted = device->DeletedFlag();
    BOOL result = TRUE;
    std::thread sender([&] {
        Buffer frame = MakeFrame(0x02, 1);
        Buffer reply{};
        result = manager->SendAndReceive(frame.data(), reply.data(), 50, 40);
    });
    ASSERT_TRUE(device->WaitForWritten(1, 2000));
    manager->Disconnect();
    sender.join();  // at most one more wait, then the missing device ends it
    EXPECT_EQ(result, FALSE);
    EXPECT_TRUE(*deleted);

    Buffer frame = MakeFrame(0x02);
    Buffer reply{};
    const int beforeSends = protocol.BeforeSends();
    EXPECT_EQ(manager->SendAndReceive(frame.data(), reply.data(), 3, 20), FALSE);
    EXPECT_EQ(protocol.BeforeSends(), beforeSends) << "nothing is prepared without a device";
}

TEST_F(DeviceManagerTest, FailedReadsAreRetriedUntilDisconnect) {
    qv::os::Event failed(true, false);
    log.onLine = [&](const std::string&) { failed.Set(); };
    FakeDevice* device = Connect();
    device->FailNextReads(1000);
    // Wait for one failed read to be logged, then let reads succeed again.
    ASSERT_EQ(failed.Wait(2000), qv::os::WaitResult::Signalled);
    EXPECT_GE(log.Count("CDeviceManager::RecvThreadProc:  CDeviceManager::RecvThreadProc() -- read return 0"), 1);

    device->FailNextReads(0);
    Push(device, MakeFrame(0x9E));
    EXPECT_TRUE(protocol.WaitForReceived(1, 2000)) << "the loop keeps reading after failures";

    device->SetUnplugged(true);  // every read fails at once now
    auto startedAt = std::chrono::steady_clock::now();
    manager->Disconnect();
    EXPECT_LT(ElapsedMs(startedAt), 1500) << "the pause between failed reads is cut short";
}

TEST_F(DeviceManagerTest, EveryConnectRunsANewReceiveLoop) {
    for (int i = 0; i < 5; ++i) {
        FakeDevice* device = Connect();
        Push(device, MakeFrame(0x9E, static_cast<std::uint8_t>(i)));
        ASSERT_TRUE(protocol.WaitForReceived(static_cast<std::size_t>(i) + 1, 2000));
        manager->Disconnect();
    }
    EXPECT_EQ(protocol.Received()[4][4], 4);
}

TEST_F(DeviceManagerTest, DestroyingTheManagerEndsABlockedLoopAndDeletesTheDevice) {
    FakeDevice* device = Connect();
    auto deleted = device->DeletedFlag();
    ASSERT_TRUE(device->WaitUntilReading(2000));
    manager.reset();
    EXPECT_TRUE(*deleted);
}

}  // namespace
