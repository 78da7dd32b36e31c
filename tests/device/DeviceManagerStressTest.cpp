#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

#include "common/device/DeviceManager.h"
#include "common/device/Frame.h"
#include "platform/os/Log.h"
#include "tests/support/FakeDevice.h"
#include "tests/support/TestProtocol.h"

namespace {

using Buffer = std::array<std::uint8_t, qv::frame::kBufferSize>;

constexpr std::uint8_t kNotification = 0x9E;
constexpr std::uint8_t kAck = 0x9F;
constexpr int kRequestsPerSender = 300;
constexpr int kNotifications = 600;

void QuietTraces(const char*) {}

void PutIndex(std::uint8_t* frame, int at, int value) {
    frame[at] = static_cast<std::uint8_t>(value >> 8);
    frame[at + 1] = static_cast<std::uint8_t>(value);
}

int GetIndex(const std::uint8_t* frame, int at) { return frame[at] << 8 | frame[at + 1]; }

// Two threads send requests while the card floods the link with
// notifications that the receive thread acknowledges.
TEST(DeviceManagerStress, RepliesReachTheirSendersAndEveryFrameStaysIntact) {
    qv::os::SetDebugOutputHook(QuietTraces);
    TestProtocol protocol;
    std::atomic<int> ackFailures{0};
    protocol.SetRecvHandler([&](ICommDeviceMgmt* manager, std::uint8_t* report) {
        if (report[0] != kNotification || !manager) return;
        Buffer ack{};
        ack[0] = kAck;
        std::memcpy(ack.data() + 4, report + 4, 2);
        if (!manager->SendNotReceive(ack.data())) ++ackFailures;
    });

    auto manager = std::make_unique<CDeviceManager>();
    auto* device = new FakeDevice();
    device->SetResponder([device](const std::uint8_t* frame, int) {
        if (frame[0] != kAck) {
            Buffer reply = TestProtocol::MakeReply(frame);
            device->PushReport(reply.data(), static_cast<int>(reply.size()));
        }
    });
    ASSERT_EQ(manager->Connect(device, &protocol), TRUE);

    std::thread card([device] {
        for (int i = 0; i < kNotifications; ++i) {
            Buffer note{};
            note[0] = kNotification;
            PutIndex(note.data(), 4, i);
            qv::frame::Seal(note.data());
            device->PushReport(note.data(), static_cast<int>(note.size()));
            if (i % 8 == 0) std::this_thread::yield();
        }
    });
    std::atomic<int> misrouted{0}, failed{0};
    auto sender = [&](std::uint8_t command, std::uint8_t id) {
        for (int i = 0; i < kRequestsPerSender; ++i) {
            Buffer frame{};
            frame[0] = command;
            frame[4] = id;
            PutIndex(frame.data(), 5, i);
            Buffer reply{};
            if (!manager->SendAndReceive(frame.data(), reply.data(), 3, 5000)) {
                ++failed;
                continue;
            }
            if (reply[0] != command + 1 || reply[4] != id || GetIndex(reply.data(), 5) != i)
                ++misrouted;
        }
    };
    std::thread first(sender, 0x94, 1), second(sender, 0x26, 2);
    first.join();
    second.join();
    card.join();

    ASSERT_TRUE(protocol.WaitForReceived(kNotifications, 10000));
    const std::size_t frames = 2 * kRequestsPerSender + kNotifications;
    ASSERT_TRUE(device->WaitForWritten(frames, 10000));
    EXPECT_EQ(failed.load(), 0);
    EXPECT_EQ(misrouted.load(), 0);
    EXPECT_EQ(ackFailures.load(), 0);

    for (const auto& report : protocol.Received())
        EXPECT_EQ(report[0], kNotification) << "a reply went to OnRecvData";

    std::set<int> acked;
    int requests = 0;
    for (const auto& frame : device->Written()) {
        ASSERT_EQ(frame.size(), 40u);
        ASSERT_TRUE(qv::frame::HasValidCrc(frame.data()));
        if (frame[0] == kAck)
            acked.insert(GetIndex(frame.data(), 4));
        else
            ++requests;
    }
    EXPECT_EQ(requests, 2 * kRequestsPerSender);
    EXPECT_EQ(acked.size(), static_cast<std::size_t>(kNotifications));

    manager.reset();
    qv::os::SetDebugOutputHook(nullptr);
}

}  // namespace
