#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/device/ICommunicateDevice.h"

// A scriptable ICommunicateDevice: tests queue the reports the card sends,
// see every frame written, and inject failures. Lengths are payload lengths,
// as CHidBase reports them. Every operation is thread-safe.
class FakeDevice : public ICommunicateDevice {
public:
    using Responder = std::function<void(const std::uint8_t* frame, int length)>;

    explicit FakeDevice(
        std::u16string path =
            u"\\\\?\\hid#VID_2B53&PID_0011#7&1a2b3c4d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
        int inputLength = 64, int outputLength = 40);
    ~FakeDevice() override;

    BOOL IsOpen() override;
    BOOL OpenDevice() override;
    void CloseDevice() override;
    BOOL Write(const std::uint8_t* data, int length) override;
    BOOL Read(std::uint8_t** report, std::uint32_t timeoutMs) override;
    BOOL CancelRead() override;
    int GetInputReportLength() override;
    int GetOutputReportLength() override;
    const char16_t* GetDevicePath() override;

    // Called on the writer's thread after each successful Write, while
    // writes are held: the card sees frames one at a time in wire order. It
    // answers with PushReport and must not call Write.
    void SetResponder(Responder responder);
    // Queues one report for Read: the payload, cut or zero-padded to the
    // input length.
    void PushReport(const std::uint8_t* payload, int length);
    // Frames that left, each as long as the Write that sent it.
    std::vector<std::vector<std::uint8_t>> Written() const;

    int WriteCalls() const;   // every Write, failed ones included
    int OpenCalls() const;
    int CloseCalls() const;
    int CancelCalls() const;
    int PendingReports() const;
    // Blocks until a Read waits for a report (true) or timeoutMs passed.
    bool WaitUntilReading(int timeoutMs) const;
    // Blocks until `count` frames have been written or timeoutMs passed.
    bool WaitForWritten(std::size_t count, int timeoutMs) const;

    void FailNextWrites(int n);
    void FailNextReads(int n);
    void SetFailOpen(bool fail);
    // Lengths reported after the next OpenDevice (and now, when open).
    void SetReportLengths(int inputLength, int outputLength);
    // An unplugged card: writes and reads fail at once until plugged again.
    void SetUnplugged(bool unplugged);

    // Becomes true when the object is deleted; the manager owns and deletes it.
    std::shared_ptr<const std::atomic<bool>> DeletedFlag() const { return m_deleted; }

private:
    static constexpr int kReadBufferSize = 128;

    const std::u16string m_path;
    std::shared_ptr<std::atomic<bool>> m_deleted = std::make_shared<std::atomic<bool>>(false);

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    bool m_open = false;
    bool m_failOpen = false;
    bool m_unplugged = false;
    bool m_cancelPending = false;
    int m_inputLength;
    int m_outputLength;
    int m_failWrites = 0;
    int m_failReads = 0;
    int m_writeCalls = 0, m_openCalls = 0, m_closeCalls = 0, m_cancelCalls = 0;
    int m_readersWaiting = 0;
    std::deque<std::vector<std::uint8_t>> m_reports;
    std::vector<std::vector<std::uint8_t>> m_written;
    std::uint8_t m_readBuffer[kReadBufferSize] = {};  // only the reader thread touches it

    std::mutex m_writeMutex;  // one Write (and its responder) at a time
    Responder m_responder;    // guarded by m_writeMutex
};
