#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/hid/CancellableReader.h"
#include "platform/os/Types.h"

namespace {

using qv::hid::CancellableReader;
using qv::hid::ReadStatus;

// A SOCK_SEQPACKET pair stands in for a hidraw node: one report per read.
class CancellableReaderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, m_fds), 0); }
    void TearDown() override {
        close(m_fds[0]);
        if (m_fds[1] >= 0) close(m_fds[1]);
    }
    void Deliver(std::size_t length, std::uint8_t fill) {
        std::vector<std::uint8_t> report(length, fill);
        ASSERT_EQ(write(m_fds[1], report.data(), length), static_cast<ssize_t>(length));
    }
    int Device() const { return m_fds[0]; }

    int m_fds[2] = {-1, -1};
    CancellableReader m_reader;
    std::uint8_t m_buffer[64] = {};
};

TEST_F(CancellableReaderTest, ReadsAWholeReport) {
    Deliver(40, 0x5A);
    EXPECT_EQ(m_reader.Read(Device(), m_buffer, 40, 1000), ReadStatus::Ok);
    EXPECT_EQ(m_buffer[0], 0x5A);
    EXPECT_EQ(m_buffer[39], 0x5A);
}

TEST_F(CancellableReaderTest, ShortReportOrClosedDeviceFails) {
    Deliver(10, 1);
    EXPECT_EQ(m_reader.Read(Device(), m_buffer, 40, 1000), ReadStatus::Failed);
    close(m_fds[1]);
    m_fds[1] = -1;
    EXPECT_EQ(m_reader.Read(Device(), m_buffer, 40, INFINITE), ReadStatus::Failed);
}

TEST_F(CancellableReaderTest, TimesOutWhenNothingArrives) {
    EXPECT_EQ(m_reader.Read(Device(), m_buffer, 40, 20), ReadStatus::TimedOut);
    EXPECT_EQ(m_reader.Read(Device(), m_buffer, 40, 0), ReadStatus::TimedOut);
}

TEST_F(CancellableReaderTest, CancelEndsABlockedInfiniteRead) {
    ReadStatus status = ReadStatus::Ok;
    std::thread reader([&] { status = m_reader.Read(Device(), m_buffer, 40, INFINITE); });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    m_reader.Cancel();
    reader.join();  // hangs here if the cancel were lost
    EXPECT_EQ(status, ReadStatus::Cancelled);
    // The cancel was used up: the next read waits again.
    EXPECT_EQ(m_reader.Read(Device(), m_buffer, 40, 10), ReadStatus::TimedOut);
}

TEST_F(CancellableReaderTest, CancelWithNoReaderIsLatchedOnceAndWinsOverData) {
    m_reader.Cancel();
    m_reader.Cancel();
    Deliver(40, 7);
    EXPECT_EQ(m_reader.Read(Device(), m_buffer, 40, INFINITE), ReadStatus::Cancelled);
    EXPECT_EQ(m_reader.Read(Device(), m_buffer, 40, 1000), ReadStatus::Ok);
    EXPECT_EQ(m_buffer[0], 7);
}

TEST_F(CancellableReaderTest, RefusesBadArguments) {
    EXPECT_EQ(m_reader.Read(-1, m_buffer, 40, 0), ReadStatus::Failed);
    EXPECT_EQ(m_reader.Read(Device(), nullptr, 40, 0), ReadStatus::Failed);
    EXPECT_EQ(m_reader.Read(Device(), m_buffer, 0, 0), ReadStatus::Failed);
}

}  // namespace
