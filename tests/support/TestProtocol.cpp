#include "tests/support/TestProtocol.h"

#include <chrono>
#include <cstring>

TestProtocol::TestProtocol(int packetLength) : m_packetLength(packetLength) {}

BOOL TestProtocol::CheckReply(const std::uint8_t* reply, int expectedCommand) {
    const bool good = qv::frame::HasValidCrc(reply) &&
                      reply[qv::frame::kCommandByte] == static_cast<std::uint8_t>(expectedCommand) &&
                      reply[qv::frame::kStatusByte] == qv::frame::kStatusOk;
    if (!good) ++m_rejected;
    return good ? TRUE : FALSE;
}

std::uint8_t TestProtocol::AddCrc(std::uint8_t* frame) { return qv::frame::Seal(frame); }

void TestProtocol::OnBeforeSend(std::uint8_t*) { ++m_beforeSends; }

void TestProtocol::OnAfterReply(std::uint8_t*) { ++m_afterReplies; }

void TestProtocol::OnRecvData(std::uint8_t* report) {
    RecvHandler handler;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        Report copy;
        std::memcpy(copy.data(), report, copy.size());  // the whole buffer must be readable
        m_received.push_back(copy);
        handler = m_handler;
        m_receivedChanged.notify_all();
    }
    if (handler) handler(m_manager.load(), report);
}

void TestProtocol::AttachDeviceMgmt(ICommDeviceMgmt* manager) {
    m_manager = manager;
    ++m_attaches;
}

void TestProtocol::DetachDeviceMgmt() {
    m_manager = nullptr;
    ++m_detaches;
}

void TestProtocol::SetRecvHandler(RecvHandler handler) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_handler = std::move(handler);
}

std::vector<TestProtocol::Report> TestProtocol::Received() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_received;
}

bool TestProtocol::WaitForReceived(std::size_t count, int timeoutMs) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_receivedChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                      [this, count] { return m_received.size() >= count; });
}

TestProtocol::Report TestProtocol::MakeReply(const std::uint8_t* request) {
    Report reply{};
    std::memcpy(reply.data(), request, qv::frame::kFrameLength);
    reply[qv::frame::kCommandByte] = static_cast<std::uint8_t>(request[0] + 1);
    reply[qv::frame::kStatusByte] = qv::frame::kStatusOk;
    qv::frame::Seal(reply.data());
    return reply;
}
