// The simulated card behind the real device manager, once through the
// in-process fake device and once through the sim HID backend's socket.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "common/device/DeviceManager.h"
#include "common/device/HidDevice/HidBase.h"
#include "platform/hid/Hid.h"
#include "platform/os/Tick.h"
#include "tests/device/LogProbe.h"
#include "tests/support/FakeDevice.h"
#include "tests/support/SimCard.h"
#include "tests/support/SimCardServer.h"
#include "tests/support/TestProtocol.h"

namespace {

using qv::test::SimCard;
using qv::test::SimCardServer;
using qv::test::SimFault;

std::array<std::uint8_t, 64> Frame(std::uint8_t command, std::uint8_t data4 = 0) {
    std::array<std::uint8_t, 64> f{};
    f[0] = command;
    f[4] = data4;
    return f;
}

// Acknowledges notifications on the receive thread, as the plug-in does.
void AcknowledgeNotifications(TestProtocol& protocol) {
    protocol.SetRecvHandler([](ICommDeviceMgmt* manager, std::uint8_t* report) {
        if (report[0] != 0x9E || !manager) return;
        std::uint8_t ack[64];
        std::memcpy(ack, report, sizeof ack);
        ack[0] = 0x9F;
        ack[3] = 0xFF;
        (void)manager->SendNotReceive(ack);
    });
}

TEST(SimCardOverFakeDevice, AnswersTheManagerAndTakesAcknowledgements) {
    SimCard card;
    auto* fake = new FakeDevice();
    fake->SetResponder([&](const std::uint8_t* f, int n) { card.HandleHostFrame(f, n); });
    card.SetReportSink([fake](const std::uint8_t* p, int n) { fake->PushReport(p, n); });
    TestProtocol protocol;
    AcknowledgeNotifications(protocol);
    LogProbe log;
    {
        CDeviceManager manager;
        ASSERT_TRUE(manager.Connect(fake, &protocol));
        auto info = Frame(0x26);
        std::uint8_t reply[64];
        ASSERT_TRUE(manager.SendAndReceive(info.data(), reply, 4, 500));
        EXPECT_EQ(reply[6], 15);

        ASSERT_TRUE(card.SendNotification({{25, 7}}));
        ASSERT_TRUE(card.WaitForReceived(0x9F, 1, 5000));
        EXPECT_EQ(card.Acknowledgements()[0][3], 0xFF);

        // A late reply to the first attempt satisfies the second, also when
        // it arrives between the two attempts: the sender is held there
        // until the reply, and a notification sent after it, have arrived.
        card.SetLateReplyDelay(600);
        card.AddFault({SimFault::LateReply, 0x90});
        card.AddFault({SimFault::NoReply, 0x90});  // the second attempt has only the late reply
        std::atomic<bool> replyLeft{false};
        card.SetFrameObserver([&](bool fromHost, const SimCard::Frame& frame) {
            if (!fromHost && frame[0] == 0x91) replyLeft = true;
        });
        bool held = false;
        log.onLine = [&](const std::string& text) {
            if (held || text.rfind("WaitTimeout", 0) != 0) return;
            held = true;
            const std::size_t before = protocol.Received().size();
            for (int i = 0; i < 500 && !replyLeft; ++i) qv::os::SleepMs(10);
            EXPECT_TRUE(replyLeft.load());
            EXPECT_TRUE(card.SendNotification({{25, 8}}));
            EXPECT_TRUE(protocol.WaitForReceived(before + 1, 5000));
        };
        auto open = Frame(0x90, 1);
        EXPECT_TRUE(manager.SendAndReceive(open.data(), reply, 2, 400));
        EXPECT_TRUE(held);
        EXPECT_EQ(card.CountReceived(0x90), 2);
        card.SetFrameObserver(nullptr);
        log.onLine = nullptr;
        card.SetReportSink(nullptr);
        manager.Disconnect();  // deletes the fake device
    }
}

class SimCardOverSimHid : public ::testing::Test {
protected:
    void SetUp() override {
        m_socket = "/tmp/qv-simlink-" + std::to_string(getpid()) + ".sock";
        setenv("QV_HID_BACKEND", "sim", 1);
        setenv("QV_SIM_SOCKET", m_socket.c_str(), 1);
        ASSERT_TRUE(m_server.Start(m_socket));
    }
    void TearDown() override {
        m_manager.reset();
        m_server.Stop();
        unsetenv("QV_HID_BACKEND");
        unsetenv("QV_SIM_SOCKET");
    }
    bool Connect(TestProtocol& protocol) {
        char16_t paths[2][CHidBase::kPathLength] = {};
        if (CHidBase::EnumDevices(paths, 2, SimCard::kVendorId, SimCard::kDorbProductId) != 1)
            return false;
        return m_manager->Connect(new CHidBase(paths[0]), &protocol);
    }

    std::string m_socket;
    SimCard m_card;
    SimCardServer m_server{m_card};
    std::unique_ptr<CDeviceManager> m_manager = std::make_unique<CDeviceManager>();
};

TEST_F(SimCardOverSimHid, ParameterFramesReachTheCardThroughTheSocket) {
    TestProtocol protocol;
    AcknowledgeNotifications(protocol);
    ASSERT_TRUE(Connect(protocol));
    auto params = Frame(0x94, 1);
    params[5] = 12;
    params[6] = 0x10;
    params[7] = 99;
    std::uint8_t reply[64];
    ASSERT_TRUE(m_manager->SendAndReceive(params.data(), reply, 3, 500));
    EXPECT_EQ(reply[0], 0x95);
    EXPECT_EQ(m_card.ParamValue(12), 99);

    ASSERT_TRUE(m_card.SendNotification({{3, 4}}));
    ASSERT_TRUE(m_card.WaitForReceived(0x9F, 1, 5000));
    m_manager->Disconnect();
}

TEST_F(SimCardOverSimHid, UnplugMidTransferFailsTheRequestAndDisconnectReturns) {
    TestProtocol protocol;
    ASSERT_TRUE(Connect(protocol));
    m_card.AddFault({SimFault::Unplug, 0x02});
    auto header = Frame(0x02, 1);
    std::uint8_t reply[64];
    EXPECT_FALSE(m_manager->SendAndReceive(header.data(), reply, 3, 200));
    EXPECT_FALSE(m_card.IsPlugged());
    m_manager->Disconnect();
    EXPECT_FALSE(m_manager->IsConnected());
}

}  // namespace
