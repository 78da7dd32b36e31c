#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "common/device/HidDevice/HidBase.h"
#include "tests/device/LogProbe.h"

namespace {

using qv::hid::ReadStatus;

// What a test scripts for the HID device that CHidBase opens.
struct HidScript {
    int inputLength = 65;
    int outputLength = 41;
    bool writeFails = false;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::pair<ReadStatus, std::vector<std::uint8_t>>> reads;
    std::vector<std::vector<std::uint8_t>> written;
    bool cancelled = false;
    int readersWaiting = 0;
};

class ScriptedHidDevice : public qv::hid::IDevice {
public:
    explicit ScriptedHidDevice(std::shared_ptr<HidScript> script) : m_script(std::move(script)) {}
    int InputReportLength() const override { return m_script->inputLength; }
    int OutputReportLength() const override { return m_script->outputLength; }
    bool WriteReport(const std::uint8_t* report, std::size_t length) override {
        std::lock_guard<std::mutex> guard(m_script->mutex);
        m_script->written.emplace_back(report, report + length);
        return !m_script->writeFails;
    }
    ReadStatus ReadReport(std::uint8_t* buffer, std::size_t length, std::uint32_t) override {
        std::unique_lock<std::mutex> lock(m_script->mutex);
        ++m_script->readersWaiting;
        m_script->changed.wait(lock, [&] { return m_script->cancelled || !m_script->reads.empty(); });
        --m_script->readersWaiting;
        if (m_script->cancelled) {
            m_script->cancelled = false;
            return ReadStatus::Cancelled;
        }
        auto [status, bytes] = m_script->reads.front();
        m_script->reads.pop_front();
        std::memcpy(buffer, bytes.data(), std::min(length, bytes.size()));
        return status;
    }
    void CancelRead() override {
        std::lock_guard<std::mutex> guard(m_script->mutex);
        m_script->cancelled = true;
        m_script->changed.notify_all();
    }

private:
    std::shared_ptr<HidScript> m_script;
};

class HidBaseTest : public ::testing::Test {
protected:
    CHidBase MakeHid() {
        return CHidBase(u"\\\\?\\hid#VID_2B53&PID_0011#3", [this](const std::u16string&) {
            return openFails ? nullptr : std::make_unique<ScriptedHidDevice>(script);
        });
    }
    void QueueRead(ReadStatus status, std::vector<std::uint8_t> bytes) {
        std::lock_guard<std::mutex> guard(script->mutex);
        script->reads.emplace_back(status, std::move(bytes));
        script->changed.notify_all();
    }

    LogProbe log;
    std::shared_ptr<HidScript> script = std::make_shared<HidScript>();
    bool openFails = false;
};

TEST_F(HidBaseTest, OpenTakesPayloadLengthsAndRefusesBadOnes) {
    CHidBase hid(u"\\\\?\\hid#VID_2B53&PID_0011#3", [this](const std::u16string&) {
        return openFails ? nullptr : std::make_unique<ScriptedHidDevice>(script);
    });
    EXPECT_EQ(hid.GetOutputReportLength(), -1);
    ASSERT_EQ(hid.OpenDevice(), TRUE);
    EXPECT_EQ(hid.IsOpen(), TRUE);
    EXPECT_EQ(hid.GetInputReportLength(), 64);
    EXPECT_EQ(hid.GetOutputReportLength(), 40);
    EXPECT_EQ(hid.OpenDevice(), FALSE);
    EXPECT_EQ(hid.IsOpen(), TRUE) << "a second open leaves the device as it was";
    hid.CloseDevice();
    hid.CloseDevice();
    EXPECT_EQ(hid.IsOpen(), FALSE);

    for (int bad : {0, 129}) {
        script->outputLength = bad;
        EXPECT_EQ(hid.OpenDevice(), FALSE);
        EXPECT_EQ(hid.IsOpen(), FALSE);
    }
    script->outputLength = 41;
    openFails = true;
    EXPECT_EQ(hid.OpenDevice(), FALSE);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "CHidBase::OpenDevice: One device is already opened.",
                               "CHidBase::OpenDevice: invalide device report byte length.",
                               "CHidBase::OpenDevice: invalide device report byte length.",
                           }));
    EXPECT_EQ(std::u16string(hid.GetDevicePath()), u"\\\\?\\hid#VID_2B53&PID_0011#3");
}

TEST_F(HidBaseTest, WritePutsReportIdZeroInFrontAndChecksTheLength) {
    CHidBase hid = MakeHid();
    std::uint8_t frame[64];
    for (int i = 0; i < 64; ++i) frame[i] = static_cast<std::uint8_t>(i + 1);
    EXPECT_EQ(hid.Write(frame, 40), FALSE) << "closed";
    ASSERT_EQ(hid.OpenDevice(), TRUE);
    EXPECT_EQ(hid.Write(frame, 40), TRUE);
    EXPECT_EQ(hid.Write(frame, 41), FALSE);
    EXPECT_EQ(hid.Write(nullptr, 4), FALSE);
    EXPECT_EQ(hid.Write(frame, 3), TRUE);
    script->writeFails = true;
    EXPECT_EQ(hid.Write(frame, 40), FALSE);

    ASSERT_EQ(script->written.size(), 3u);
    std::vector<std::uint8_t> full(41, 0);
    std::memcpy(full.data() + 1, frame, 40);
    EXPECT_EQ(script->written[0], full);
    std::vector<std::uint8_t> shortFrame(41, 0);
    std::memcpy(shortFrame.data() + 1, frame, 3);
    EXPECT_EQ(script->written[1], shortFrame) << "the rest of the report is zero";
    EXPECT_EQ(log.Count("CHidBase::Write: invalide parameter."), 3);
    EXPECT_EQ(log.Count("CHidBase::Write: error code 0"), 1);
}

TEST_F(HidBaseTest, OnlyAWholeReportIsARead) {
    CHidBase hid = MakeHid();
    std::uint8_t* report = nullptr;
    EXPECT_EQ(hid.Read(&report, 10), FALSE);
    EXPECT_EQ(log.Count("CHidBase::Read: Please OpenDevice before Read."), 1);
    script->inputLength = 33;  // short reports still come in a 64-byte buffer
    ASSERT_EQ(hid.OpenDevice(), TRUE);

    std::vector<std::uint8_t> good(33, 0x11);
    good[0] = 0;
    good[1] = 0x9E;
    QueueRead(ReadStatus::Ok, good);
    ASSERT_EQ(hid.Read(&report, 10), TRUE);
    EXPECT_EQ(report[0], 0x9E);
    EXPECT_EQ(report[31], 0x11);
    EXPECT_EQ(report[63], 0x00);

    for (ReadStatus status : {ReadStatus::Failed, ReadStatus::TimedOut})
        QueueRead(status, good);
    report = nullptr;
    EXPECT_EQ(hid.Read(&report, 10), FALSE);
    EXPECT_EQ(hid.Read(&report, 10), FALSE);
    EXPECT_EQ(report, nullptr);
}

TEST_F(HidBaseTest, CancelReadEndsAWaitingReadAndIsNotLostBeforeIt) {
    CHidBase hid = MakeHid();
    ASSERT_EQ(hid.OpenDevice(), TRUE);
    std::uint8_t* report = nullptr;
    ASSERT_EQ(hid.CancelRead(), TRUE);
    EXPECT_EQ(hid.Read(&report, INFINITE), FALSE) << "a cancel before the read";

    std::thread reader([&] { EXPECT_EQ(hid.Read(&report, INFINITE), FALSE); });
    for (;;) {  // cancel once the reader waits
        {
            std::lock_guard<std::mutex> guard(script->mutex);
            if (script->readersWaiting > 0) break;
        }
        std::this_thread::yield();
    }
    EXPECT_EQ(hid.CancelRead(), TRUE);
    reader.join();
    EXPECT_EQ(report, nullptr);
}

TEST_F(HidBaseTest, ConcurrentWritersNeverMixTheirReports) {
    CHidBase hid = MakeHid();
    ASSERT_EQ(hid.OpenDevice(), TRUE);
    auto writer = [&hid](std::uint8_t fill) {
        std::uint8_t frame[40];
        std::memset(frame, fill, sizeof frame);
        for (int i = 0; i < 500; ++i) EXPECT_EQ(hid.Write(frame, 40), TRUE);
    };
    std::thread a(writer, 0xA5), b(writer, 0x5A);
    a.join();
    b.join();
    ASSERT_EQ(script->written.size(), 1000u);
    for (const auto& report : script->written) {
        ASSERT_EQ(report.size(), 41u);
        EXPECT_EQ(report[0], 0);
        for (int i = 2; i <= 40; ++i) ASSERT_EQ(report[i], report[1]);
    }
}

}  // namespace
