#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <vector>

#include "platform/hid/HidrawBackend.h"
#include "platform/hid/HidrawDevice.h"
#include "platform/os/Types.h"

namespace {

using qv::hid::HidrawDevice;
using qv::hid::ReadStatus;

// 64 bytes in, 40 bytes out, no report ids: the card's interface.
const std::vector<std::uint8_t> kUnnumbered = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,
                                               0x75, 0x08, 0x95, 0x40, 0x81, 0x02,
                                               0x95, 0x28, 0x91, 0x02, 0xC0};
// Report id 5: 8 bytes in, 8 bytes out.
const std::vector<std::uint8_t> kNumbered = {0x85, 0x05, 0x75, 0x08, 0x95, 0x08,
                                             0x81, 0x02, 0x91, 0x02};

// A socket pair stands in for the node: the far end plays the kernel.
class HidrawDeviceTest : public ::testing::Test {
protected:
    std::unique_ptr<HidrawDevice> Make(const std::vector<std::uint8_t>& descriptor) {
        int fds[2];
        EXPECT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fds), 0);
        m_kernel = fds[1];
        return HidrawDevice::Adopt(fds[0], descriptor.data(), descriptor.size());
    }
    void TearDown() override {
        if (m_kernel >= 0) close(m_kernel);
    }
    void Deliver(std::vector<std::uint8_t> report) {
        ASSERT_EQ(write(m_kernel, report.data(), report.size()), static_cast<ssize_t>(report.size()));
    }

    int m_kernel = -1;
    std::uint8_t m_buffer[128] = {};
};

TEST_F(HidrawDeviceTest, UnnumberedReportsGetReportIdZeroInFront) {
    auto device = Make(kUnnumbered);
    ASSERT_TRUE(device);
    EXPECT_EQ(device->InputReportLength(), 65);
    EXPECT_EQ(device->OutputReportLength(), 41);

    std::vector<std::uint8_t> out(41, 0);
    out[1] = 0x90;
    ASSERT_TRUE(device->WriteReport(out.data(), out.size()));
    std::uint8_t written[64];
    EXPECT_EQ(read(m_kernel, written, sizeof written), 41);  // hidraw takes the id byte too
    EXPECT_EQ(written[1], 0x90);

    std::vector<std::uint8_t> in(64, 0);
    in[0] = 0x91;
    in[63] = 0x7E;
    m_buffer[0] = 0xEE;
    Deliver(in);
    ASSERT_EQ(device->ReadReport(m_buffer, sizeof m_buffer, 1000), ReadStatus::Ok);
    EXPECT_EQ(m_buffer[0], 0);
    EXPECT_EQ(m_buffer[1], 0x91);
    EXPECT_EQ(m_buffer[64], 0x7E);
}

TEST_F(HidrawDeviceTest, ShortReportsAndSmallBuffersFail) {
    auto device = Make(kUnnumbered);
    ASSERT_TRUE(device);
    Deliver(std::vector<std::uint8_t>(40, 1));
    EXPECT_EQ(device->ReadReport(m_buffer, sizeof m_buffer, 1000), ReadStatus::Failed);
    EXPECT_EQ(device->ReadReport(m_buffer, 64, 0), ReadStatus::Failed);
    close(m_kernel);  // the card is gone
    m_kernel = -1;
    EXPECT_EQ(device->ReadReport(m_buffer, sizeof m_buffer, INFINITE), ReadStatus::Failed);
    std::vector<std::uint8_t> out(41, 0);
    EXPECT_FALSE(device->WriteReport(out.data(), out.size()));
}

TEST_F(HidrawDeviceTest, NumberedReportsArriveWithTheirId) {
    auto device = Make(kNumbered);
    ASSERT_TRUE(device);
    EXPECT_EQ(device->InputReportLength(), 9);
    Deliver({5, 1, 2, 3, 4, 5, 6, 7, 8});
    ASSERT_EQ(device->ReadReport(m_buffer, sizeof m_buffer, 1000), ReadStatus::Ok);
    EXPECT_EQ(m_buffer[0], 5);
    EXPECT_EQ(m_buffer[8], 8);
}

TEST_F(HidrawDeviceTest, CancelIsLatchedForTheNextRead) {
    auto device = Make(kUnnumbered);
    ASSERT_TRUE(device);
    device->CancelRead();
    EXPECT_EQ(device->ReadReport(m_buffer, sizeof m_buffer, INFINITE), ReadStatus::Cancelled);
    EXPECT_EQ(device->ReadReport(m_buffer, sizeof m_buffer, 5), ReadStatus::TimedOut);
}

TEST(HidrawIds, ParsesTheHidIdProperty) {
    std::uint16_t vid = 0, pid = 0;
    ASSERT_TRUE(qv::hid::ParseHidId("0003:00002B53:00000036", &vid, &pid));
    EXPECT_EQ(vid, 0x2B53);
    EXPECT_EQ(pid, 0x0036);
    EXPECT_FALSE(qv::hid::ParseHidId(nullptr, &vid, &pid));
    EXPECT_FALSE(qv::hid::ParseHidId("0003:00002B53", &vid, &pid));
    EXPECT_FALSE(qv::hid::ParseHidId("0003:00012B53:00000036", &vid, &pid));
    EXPECT_FALSE(qv::hid::ParseHidId("0003:2B53:0036x", &vid, &pid));
}

}  // namespace

namespace {

// Without a card nothing is found or opened; a monitor (where udev offers
// one) starts and stops cleanly.
TEST(HidrawBackend, NoCardNoDeviceAndAMonitorThatStops) {
    EXPECT_TRUE(qv::hid::HidrawEnumerate(0xFFFF, 0xFFFE).empty());
    EXPECT_FALSE(qv::hid::HidrawOpen(u"\\\\?\\hid#VID_FFFF&PID_FFFE#hidraw999#{x}"));
    EXPECT_FALSE(qv::hid::HidrawOpen(u"\\\\?\\hid#VID_FFFF&PID_FFFE#../null#{x}"));
    auto monitor = qv::hid::HidrawStartMonitor([](bool, const std::u16string&) {});
    monitor.reset();  // joins its thread
}

}  // namespace
