#include "tests/support/FakeDeviceMgmt.h"

#include <cstring>

#include "common/device/Frame.h"
#include "common/device/ICommProtocol.h"
#include "common/device/ICommunicateDevice.h"

namespace qv::test {

// A device that only has a path; the protocol reads nothing else from it.
class FakeDeviceMgmt::PathDevice : public ICommunicateDevice {
public:
    PathDevice(std::u16string path, bool pathIsNull)
        : m_path(std::move(path)), m_null(pathIsNull) {}
    BOOL IsOpen() override { return TRUE; }
    BOOL OpenDevice() override { return TRUE; }
    void CloseDevice() override {}
    BOOL Write(const std::uint8_t*, int) override { return FALSE; }
    BOOL Read(std::uint8_t**, std::uint32_t) override { return FALSE; }
    BOOL CancelRead() override { return TRUE; }
    int GetInputReportLength() override { return qv::frame::kFrameLength; }
    int GetOutputReportLength() override { return qv::frame::kFrameLength; }
    const char16_t* GetDevicePath() override { return m_null ? nullptr : m_path.c_str(); }

private:
    std::u16string m_path;
    bool m_null;
};

FakeDeviceMgmt::FakeDeviceMgmt() : m_responder(&FakeDeviceMgmt::GoodReply) {}
FakeDeviceMgmt::~FakeDeviceMgmt() = default;

bool FakeDeviceMgmt::GoodReply(const Frame& request, Frame& reply) {
    reply = request;
    reply[qv::frame::kCommandByte] = static_cast<std::uint8_t>(request[0] + 1);
    reply[qv::frame::kStatusByte] = qv::frame::kStatusOk;
    qv::frame::Seal(reply.data());
    return true;
}

void FakeDeviceMgmt::SetResponder(Responder responder) {
    std::lock_guard lock(m_mutex);
    m_responder = std::move(responder);
}

void FakeDeviceMgmt::SetSendNotReceiveResult(BOOL result) {
    std::lock_guard lock(m_mutex);
    m_sendNotReceiveResult = result;
}

void FakeDeviceMgmt::SetDevicePath(std::optional<std::u16string> path, bool pathIsNull) {
    std::lock_guard lock(m_mutex);
    m_device = path ? std::make_unique<PathDevice>(*path, pathIsNull) : nullptr;
}

std::vector<FakeDeviceMgmt::Request> FakeDeviceMgmt::Requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

std::vector<FakeDeviceMgmt::Frame> FakeDeviceMgmt::Posted() const {
    std::lock_guard lock(m_mutex);
    return m_posted;
}

void FakeDeviceMgmt::ClearRecords() {
    std::lock_guard lock(m_mutex);
    m_requests.clear();
    m_posted.clear();
}

BOOL FakeDeviceMgmt::IsConnected() {
    std::lock_guard lock(m_mutex);
    return m_protocol ? TRUE : FALSE;
}

BOOL FakeDeviceMgmt::Connect(ICommunicateDevice*, ICommProtocol* protocol) {
    if (!protocol) return FALSE;
    {
        std::lock_guard lock(m_mutex);
        m_protocol = protocol;
    }
    protocol->AttachDeviceMgmt(this);
    return TRUE;
}

void FakeDeviceMgmt::Disconnect() {
    ICommProtocol* protocol;
    {
        std::lock_guard lock(m_mutex);
        protocol = m_protocol;
        m_protocol = nullptr;
    }
    if (protocol) protocol->DetachDeviceMgmt();
}

BOOL FakeDeviceMgmt::SendAndReceive(std::uint8_t* frame, std::uint8_t* reply, int attempts,
                                    int timeoutMs) {
    std::unique_lock lock(m_mutex);
    ICommProtocol* protocol = m_protocol;
    Responder responder = m_responder;
    lock.unlock();

    if (protocol) {
        protocol->OnBeforeSend(frame);
        protocol->AddCrc(frame);
    }
    Request request;
    std::memcpy(request.frame.data(), frame, request.frame.size());
    request.attempts = attempts;
    request.timeoutMs = timeoutMs;
    lock.lock();
    m_requests.push_back(request);
    lock.unlock();

    std::memset(reply, 0, qv::frame::kBufferSize);
    if (attempts <= 0) return FALSE;
    Frame answer{};
    if (!responder || !responder(request.frame, answer)) return FALSE;
    std::memcpy(reply, answer.data(), answer.size());
    const int expected = (frame[qv::frame::kCommandByte] + 1) % 256;
    if (protocol && !protocol->CheckReply(reply, expected)) return FALSE;
    if (protocol) protocol->OnAfterReply(reply);
    return TRUE;
}

BOOL FakeDeviceMgmt::SendNotReceive(std::uint8_t* frame) {
    std::unique_lock lock(m_mutex);
    ICommProtocol* protocol = m_protocol;
    const BOOL result = m_sendNotReceiveResult;
    lock.unlock();
    if (protocol) {
        protocol->OnBeforeSend(frame);
        protocol->AddCrc(frame);
    }
    Frame posted{};
    std::memcpy(posted.data(), frame, posted.size());
    lock.lock();
    m_posted.push_back(posted);
    return result;
}

ICommunicateDevice* FakeDeviceMgmt::GetDevice() {
    std::lock_guard lock(m_mutex);
    return m_device.get();
}

}  // namespace qv::test
