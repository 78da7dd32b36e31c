#include "tests/support/FakeDevice.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "platform/os/Types.h"

FakeDevice::FakeDevice(std::u16string path, int inputLength, int outputLength)
    : m_path(std::move(path)), m_inputLength(inputLength), m_outputLength(outputLength) {}

FakeDevice::~FakeDevice() { m_deleted->store(true); }

BOOL FakeDevice::IsOpen() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_open ? TRUE : FALSE;
}

BOOL FakeDevice::OpenDevice() {
    std::lock_guard<std::mutex> guard(m_mutex);
    ++m_openCalls;
    if (m_open || m_failOpen) return FALSE;
    m_open = true;
    return TRUE;
}

void FakeDevice::CloseDevice() {
    std::lock_guard<std::mutex> guard(m_mutex);
    ++m_closeCalls;
    m_open = false;
    m_changed.notify_all();
}

BOOL FakeDevice::Write(const std::uint8_t* data, int length) {
    std::lock_guard<std::mutex> writing(m_writeMutex);
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        ++m_writeCalls;
        if (!data || length <= 0 || length > m_outputLength || !m_open || m_unplugged) return FALSE;
        if (m_failWrites > 0) {
            --m_failWrites;
            return FALSE;
        }
        m_written.emplace_back(data, data + length);
        m_changed.notify_all();
    }
    if (m_responder) m_responder(data, length);
    return TRUE;
}

BOOL FakeDevice::Read(std::uint8_t** report, std::uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_open) return FALSE;
    ++m_readersWaiting;
    m_changed.notify_all();
    auto ready = [this] {
        return m_cancelPending || m_failReads > 0 || m_unplugged || !m_reports.empty() || !m_open;
    };
    bool woken = true;
    if (timeoutMs == INFINITE)
        m_changed.wait(lock, ready);
    else
        woken = m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    --m_readersWaiting;
    if (!woken || !m_open || m_unplugged) return FALSE;
    if (m_cancelPending) {
        m_cancelPending = false;
        return FALSE;
    }
    if (m_failReads > 0) {
        --m_failReads;
        return FALSE;
    }
    std::memset(m_readBuffer, 0, sizeof m_readBuffer);
    const std::vector<std::uint8_t>& next = m_reports.front();
    std::memcpy(m_readBuffer, next.data(), next.size());
    m_reports.pop_front();
    if (report) *report = m_readBuffer;
    return TRUE;
}

BOOL FakeDevice::CancelRead() {
    std::lock_guard<std::mutex> guard(m_mutex);
    ++m_cancelCalls;
    m_cancelPending = true;
    m_changed.notify_all();
    return TRUE;
}

int FakeDevice::GetInputReportLength() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_open ? m_inputLength : -1;
}

int FakeDevice::GetOutputReportLength() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_open ? m_outputLength : -1;
}

const char16_t* FakeDevice::GetDevicePath() { return m_path.c_str(); }

void FakeDevice::SetResponder(Responder responder) {
    std::lock_guard<std::mutex> writing(m_writeMutex);
    m_responder = std::move(responder);
}

void FakeDevice::PushReport(const std::uint8_t* payload, int length) {
    std::lock_guard<std::mutex> guard(m_mutex);
    const int size = std::clamp(m_inputLength, 0, kReadBufferSize);
    std::vector<std::uint8_t> report(static_cast<std::size_t>(size), 0);
    if (payload && length > 0)
        std::memcpy(report.data(), payload, static_cast<std::size_t>(std::min(length, size)));
    m_reports.push_back(std::move(report));
    m_changed.notify_all();
}

std::vector<std::vector<std::uint8_t>> FakeDevice::Written() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_written;
}

int FakeDevice::WriteCalls() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_writeCalls;
}

int FakeDevice::OpenCalls() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_openCalls;
}

int FakeDevice::CloseCalls() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_closeCalls;
}

int FakeDevice::CancelCalls() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_cancelCalls;
}

int FakeDevice::PendingReports() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return static_cast<int>(m_reports.size());
}

bool FakeDevice::WaitUntilReading(int timeoutMs) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [this] { return m_readersWaiting > 0; });
}

bool FakeDevice::WaitForWritten(std::size_t count, int timeoutMs) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [this, count] { return m_written.size() >= count; });
}

void FakeDevice::FailNextWrites(int n) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_failWrites = n;
}

void FakeDevice::FailNextReads(int n) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_failReads = n;
    m_changed.notify_all();
}

void FakeDevice::SetFailOpen(bool fail) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_failOpen = fail;
}

void FakeDevice::SetReportLengths(int inputLength, int outputLength) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_inputLength = inputLength;
    m_outputLength = outputLength;
}

void FakeDevice::SetUnplugged(bool unplugged) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_unplugged = unplugged;
    m_changed.notify_all();
}
