#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "common/device/DeviceManager.h"
#include "common/device/Frame.h"
#include "plugin/device/QuorvelProtocol.h"
#include "plugin/device/RecvDataListener.h"
#include "tests/support/FakeDevice.h"
#include "tests/support/SimCard.h"

namespace {

using Frame = CQuorvelProtocol::Frame;
using qv::test::SimCard;

constexpr char16_t kNormalPath[] = u"/dev/hidraw7#VID_2B53&PID_0036#0001";
constexpr char16_t kUpdatePath[] = u"/dev/hidraw7#VID_2B53&PID_0020#0001";

class WaitingListener : public IRecvDataListener {
public:
    bool OnRecvData(const Frame& frame) override {
        std::lock_guard lock(m_mutex);
        m_frames.push_back(frame);
        m_changed.notify_all();
        return true;
    }
    bool WaitFor(std::size_t count) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(5),
                                  [&] { return m_frames.size() >= count; });
    }
    std::vector<Frame> Frames() {
        std::lock_guard lock(m_mutex);
        return m_frames;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Frame> m_frames;
};

template <typename Condition>
bool WaitUntil(Condition condition) {
    for (int i = 0; i < 500 && !condition(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

Frame ParamFrame(std::uint8_t chunk, std::vector<std::pair<std::uint8_t, int>> values, bool last) {
    Frame frame{};
    frame[0] = 0x94;
    frame[2] = chunk;
    frame[4] = static_cast<std::uint8_t>(values.size());
    int at = 5;
    for (auto [id, value] : values) {
        frame[at++] = id;
        frame[at++] = static_cast<std::uint8_t>((1 << 4) | (value >> 8));
        frame[at++] = static_cast<std::uint8_t>(value & 0xFF);
    }
    frame[38] = last ? 1 : 0;
    return frame;
}

// The protocol driving a real device manager over a fake device that the
// simulated card answers.
class SimCardRoundTripTest : public ::testing::Test {
protected:
    void SetUp() override {
        protocol.SetRecvDataListener(&listener);
        ASSERT_TRUE(Attach(kNormalPath));
    }
    void TearDown() override {
        card.SetReportSink(nullptr);
        manager.Disconnect();
        protocol.SetRecvDataListener(nullptr);
    }

    // Connects a new device (the card as enumerated under `path`).
    bool Attach(const char16_t* path) {
        card.SetReportSink(nullptr);
        auto* device = new FakeDevice(path);
        device->SetResponder([this](const std::uint8_t* f, int n) { card.HandleHostFrame(f, n); });
        card.SetReportSink([device](const std::uint8_t* p, int n) { device->PushReport(p, n); });
        return manager.Connect(device, &protocol) == TRUE;
    }

    SimCard card;
    WaitingListener listener;
    CQuorvelProtocol protocol;
    CDeviceManager manager;
};

TEST_F(SimCardRoundTripTest, EveryNormalModeCommandIsAccepted) {
    EXPECT_EQ(protocol.CheckDevicePid(), 0);

    EXPECT_EQ(protocol.SendSessionFlag(1), 1);
    EXPECT_TRUE(card.SessionOpen());

    const std::vector<Frame> frames = {ParamFrame(0, {{1, 200}, {7, 0x3FF}}, false),
                                       ParamFrame(1, {{30, 5}}, true)};
    EXPECT_EQ(protocol.SendFrames(frames), 1);
    EXPECT_EQ(card.ParamValue(1), 200);
    EXPECT_EQ(card.ParamValue(7), 0x3FF);
    EXPECT_EQ(card.ParamValue(30), 5);

    EXPECT_EQ(protocol.SendCommand9A(0x21), 1);
    EXPECT_EQ(card.Value9A(), 0x21);

    std::uint8_t byte4 = 0, byte6 = 0;
    EXPECT_EQ(protocol.GetDeviceInfo(byte4, byte6), 1);
    EXPECT_EQ(byte4, 10);
    EXPECT_EQ(byte6, 15);

    std::uint8_t version[64] = {};
    EXPECT_EQ(protocol.QueryFirmwareVersion(version), 1);
    EXPECT_EQ(version[0], 0x93);
    EXPECT_EQ(version[6], 15);
    EXPECT_TRUE(qv::frame::HasValidCrc(version));

    EXPECT_EQ(protocol.SendSessionFlag(0), 1);
    EXPECT_FALSE(card.SessionOpen());

    // Every frame reached the card sealed.
    EXPECT_EQ(card.BadCrcFrames(), 0);
}

TEST_F(SimCardRoundTripTest, NotificationsAreAcknowledgedWithTheirStatus) {
    ASSERT_TRUE(card.SendNotification({{5, 300}, {26, 12}}));
    ASSERT_TRUE(listener.WaitFor(1));
    const Frame received = listener.Frames()[0];
    EXPECT_EQ(received[0], 0x9E);
    EXPECT_EQ(received[4], 2);
    ASSERT_TRUE(card.WaitForReceived(0x9F, 1, 5000));

    Frame badCrc{};
    badCrc[0] = 0x9E;
    badCrc[4] = 1;
    badCrc[5] = 9;
    qv::frame::Seal(badCrc.data());
    badCrc[39] ^= 0x40;
    ASSERT_TRUE(card.SendRawReport(badCrc));
    ASSERT_TRUE(card.WaitForReceived(0x9F, 2, 5000));

    Frame flagged{};
    flagged[0] = 0x9E;
    flagged[3] = 0x07;
    qv::frame::Seal(flagged.data());
    ASSERT_TRUE(card.SendRawReport(flagged));
    ASSERT_TRUE(card.WaitForReceived(0x9F, 3, 5000));

    const auto acks = card.Acknowledgements();
    ASSERT_EQ(acks.size(), 3u);
    EXPECT_EQ(acks[0][3], 0xFF);
    EXPECT_EQ(acks[1][3], 0x03);
    EXPECT_EQ(acks[2][3], 0xA0);
    for (const Frame& ack : acks) EXPECT_TRUE(qv::frame::HasValidCrc(ack.data()));
    EXPECT_EQ(listener.Frames().size(), 1u);
}

TEST_F(SimCardRoundTripTest, RestartIntoUpdateModeAndWriteFirmware) {
    card.SetRestartDelays(10, 20);
    protocol.RestartDevice();
    ASSERT_TRUE(card.WaitForReceived(0x2A, 1, 5000));
    ASSERT_TRUE(WaitUntil([&] { return card.IsPlugged() && card.InUpdateMode(); }));

    ASSERT_TRUE(Attach(kUpdatePath));
    EXPECT_EQ(protocol.CheckDevicePid(), 1);

    std::vector<std::uint8_t> image(1000);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7);
    EXPECT_EQ(protocol.UpgradeFirmware(image.data(), static_cast<std::uint32_t>(image.size())), 1);
    EXPECT_EQ(card.FirmwareBlocks(), 32);
    std::uint8_t byte4 = 0, byte6 = 0;
    EXPECT_EQ(protocol.GetDeviceInfo(byte4, byte6), 1);
    EXPECT_EQ(byte6, 15);

    // Leaving update mode, the card keeps what was written.
    protocol.RestartDevice();
    ASSERT_TRUE(card.WaitForReceived(0x2A, 2, 5000));
    const std::vector<std::uint8_t> written = card.FirmwareImage();
    ASSERT_GE(written.size(), image.size());
    EXPECT_TRUE(std::equal(image.begin(), image.end(), written.begin()));
}

}  // namespace
