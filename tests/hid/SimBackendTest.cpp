#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "common/device/Frame.h"
#include "platform/hid/Hid.h"
#include "platform/os/Types.h"
#include "tests/support/SimCard.h"
#include "tests/support/SimCardServer.h"

namespace {

using qv::hid::ReadStatus;
using qv::test::SimCard;
using qv::test::SimCardServer;

constexpr std::uint16_t kVid = SimCard::kVendorId;
constexpr std::uint16_t kPid = SimCard::kDorbProductId;

std::vector<std::uint8_t> Report(std::uint8_t command, std::uint8_t data4 = 0) {
    std::vector<std::uint8_t> report(SimCard::kOutputReportLength, 0);
    report[1] = command;
    report[5] = data4;
    qv::frame::Seal(report.data() + 1);
    return report;
}

class PnpLog {
public:
    void Add(bool removed, const std::u16string& path) {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_events.emplace_back(removed, path);
        m_cv.notify_all();
    }
    std::vector<std::pair<bool, std::u16string>> WaitFor(std::size_t count) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_cv.wait_for(lock, std::chrono::seconds(5), [&] { return m_events.size() >= count; });
        return m_events;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<std::pair<bool, std::u16string>> m_events;
};

class SimBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_socket = "/tmp/qv-simbackend-" + std::to_string(getpid()) + ".sock";
        setenv("QV_HID_BACKEND", "sim", 1);
        setenv("QV_SIM_SOCKET", m_socket.c_str(), 1);
        ASSERT_TRUE(m_server.Start(m_socket));
    }
    void TearDown() override {
        m_server.Stop();
        unsetenv("QV_HID_BACKEND");
        unsetenv("QV_SIM_SOCKET");
    }
    std::unique_ptr<qv::hid::IDevice> OpenCard() {
        auto found = qv::hid::Enumerate(kVid, kPid);
        if (found.size() != 1) return nullptr;
        return qv::hid::Open(found[0].path);
    }

    std::string m_socket;
    SimCard m_card;
    SimCardServer m_server{m_card};
    std::uint8_t m_buffer[128] = {};
};

TEST_F(SimBackendTest, EnumeratesTheCardUnderItsIds) {
    auto found = qv::hid::Enumerate(kVid, kPid);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].vendorId, kVid);
    EXPECT_EQ(found[0].productId, kPid);
    EXPECT_EQ(found[0].path, SimCardServer::CardPath(kPid));
    std::uint16_t vid = 0, pid = 0;
    EXPECT_TRUE(qv::hid::ParseIdsFromPath(found[0].path, &vid, &pid));
    EXPECT_EQ(pid, kPid);
    EXPECT_TRUE(qv::hid::Enumerate(kVid, SimCard::kUpdateProductId).empty());
    EXPECT_TRUE(qv::hid::Enumerate(0x1234, kPid).empty());
}

TEST_F(SimBackendTest, WriteAndReadAFrameLikeTheCard) {
    auto device = OpenCard();
    ASSERT_TRUE(device);
    EXPECT_EQ(device->InputReportLength(), 65);
    EXPECT_EQ(device->OutputReportLength(), 41);
    auto request = Report(0x90, 1);
    ASSERT_TRUE(device->WriteReport(request.data(), request.size()));
    ASSERT_EQ(device->ReadReport(m_buffer, sizeof m_buffer, 1000), ReadStatus::Ok);
    EXPECT_EQ(m_buffer[0], 0);  // report id
    EXPECT_EQ(m_buffer[1], 0x91);
    EXPECT_EQ(m_buffer[4], 0xFF);
    EXPECT_TRUE(qv::frame::HasValidCrc(m_buffer + 1));
    EXPECT_TRUE(m_card.SessionOpen());
    EXPECT_EQ(device->ReadReport(m_buffer, sizeof m_buffer, 20), ReadStatus::TimedOut);
    // Windows refuses reports that are not exactly the output report length.
    EXPECT_FALSE(device->WriteReport(request.data(), 40));
    EXPECT_EQ(m_card.CountReceived(0x90), 1);
}

TEST_F(SimBackendTest, CardNotificationsReachTheOpenDevice) {
    auto device = OpenCard();
    ASSERT_TRUE(device);
    ASSERT_TRUE(m_card.SendNotification({{25, 0x123}}));
    ASSERT_EQ(device->ReadReport(m_buffer, sizeof m_buffer, 1000), ReadStatus::Ok);
    EXPECT_EQ(m_buffer[1], 0x9E);
    EXPECT_EQ(m_buffer[6], 25);
    EXPECT_EQ(m_buffer[7], 0x01);
    EXPECT_EQ(m_buffer[8], 0x23);
}

TEST_F(SimBackendTest, OpenRefusesOtherPathsAndAbsentServer) {
    EXPECT_FALSE(qv::hid::Open(SimCardServer::CardPath(SimCard::kUpdateProductId)));
    EXPECT_FALSE(qv::hid::Open(u"not a path"));
    m_server.Stop();
    EXPECT_TRUE(qv::hid::Enumerate(kVid, kPid).empty());
    EXPECT_FALSE(qv::hid::Open(SimCardServer::CardPath(kPid)));
}

TEST_F(SimBackendTest, CancelEndsAWaitingReadAndIsLatchedOtherwise) {
    auto device = OpenCard();
    ASSERT_TRUE(device);
    ReadStatus status = ReadStatus::Ok;
    std::thread reader([&] { status = device->ReadReport(m_buffer, sizeof m_buffer, INFINITE); });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    device->CancelRead();
    reader.join();
    EXPECT_EQ(status, ReadStatus::Cancelled);
    device->CancelRead();
    EXPECT_EQ(device->ReadReport(m_buffer, sizeof m_buffer, INFINITE), ReadStatus::Cancelled);
}

TEST_F(SimBackendTest, UnplugFailsAWaitingReadAndLaterWrites) {
    auto device = OpenCard();
    ASSERT_TRUE(device);
    ReadStatus status = ReadStatus::Ok;
    std::thread reader([&] { status = device->ReadReport(m_buffer, sizeof m_buffer, INFINITE); });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    m_card.Unplug();
    reader.join();
    EXPECT_EQ(status, ReadStatus::Failed);
    auto request = Report(0x26);
    EXPECT_FALSE(device->WriteReport(request.data(), request.size()));
    EXPECT_TRUE(qv::hid::Enumerate(kVid, kPid).empty());

    // Plugged again, the old handle stays dead and a new one works.
    m_card.Plug();
    EXPECT_FALSE(device->WriteReport(request.data(), request.size()));
    auto again = OpenCard();
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->WriteReport(request.data(), request.size()));
    EXPECT_EQ(again->ReadReport(m_buffer, sizeof m_buffer, 1000), ReadStatus::Ok);
    EXPECT_EQ(m_buffer[1], 0x27);
}

TEST_F(SimBackendTest, MonitorFollowsARestartIntoUpdateMode) {
    PnpLog log;
    auto monitor = qv::hid::StartMonitor([&](bool removed, const std::u16string& path) {
        log.Add(removed, path);
    });
    ASSERT_TRUE(monitor);
    m_card.SetRestartDelays(5, 30);
    auto device = OpenCard();
    ASSERT_TRUE(device);
    auto restart = Report(0x2A);
    ASSERT_TRUE(device->WriteReport(restart.data(), restart.size()));
    auto events = log.WaitFor(2);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0], std::make_pair(true, SimCardServer::CardPath(kPid)));
    EXPECT_EQ(events[1], std::make_pair(false, SimCardServer::CardPath(SimCard::kUpdateProductId)));
    EXPECT_EQ(device->ReadReport(m_buffer, sizeof m_buffer, 1000), ReadStatus::Failed);
    EXPECT_EQ(qv::hid::Enumerate(kVid, SimCard::kUpdateProductId).size(), 1u);
    EXPECT_TRUE(qv::hid::Enumerate(kVid, kPid).empty());
}

TEST_F(SimBackendTest, MonitorReportsTheCardOfAServerThatComesLater) {
    m_server.Stop();
    PnpLog log;
    auto monitor = qv::hid::StartMonitor([&](bool removed, const std::u16string& path) {
        log.Add(removed, path);
    });
    ASSERT_TRUE(m_server.Start(m_socket));
    auto events = log.WaitFor(1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], std::make_pair(false, SimCardServer::CardPath(kPid)));
    m_server.Stop();  // the server going away takes its card with it
    events = log.WaitFor(2);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1], std::make_pair(true, SimCardServer::CardPath(kPid)));
}

}  // namespace
