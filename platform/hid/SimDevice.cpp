#include "platform/hid/SimDevice.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "platform/hid/SimWire.h"

namespace qv::hid {

std::unique_ptr<SimDevice> SimDevice::Open(const std::string& socketPath,
                                           const std::u16string& path) {
    using namespace simwire;
    std::unique_ptr<SimDevice> device(new SimDevice);
    if (!device->m_reader.IsValid()) return nullptr;
    device->m_controlFd = Connect(socketPath);
    if (device->m_controlFd < 0) return nullptr;
    std::vector<std::uint8_t> open{kOpen};
    PutPath(open, path);
    auto reply = Request(device->m_controlFd, open);
    if (!reply) return nullptr;
    Reader fields(*reply);
    auto ok = fields.U8();
    auto in = fields.U16();
    auto out = fields.U16();
    auto session = fields.U32();
    if (!session || *ok != 1) return nullptr;
    device->m_inputLength = *in;
    device->m_outputLength = *out;

    device->m_reportFd = Connect(socketPath);
    if (device->m_reportFd < 0) return nullptr;
    std::vector<std::uint8_t> attach{kAttach};
    PutU32(attach, *session);
    auto attached = Request(device->m_reportFd, attach);
    if (!attached || attached->size() < 2 || (*attached)[1] != 1) return nullptr;
    return device;
}

SimDevice::~SimDevice() {
    if (m_controlFd >= 0) close(m_controlFd);
    if (m_reportFd >= 0) close(m_reportFd);
}

bool SimDevice::WriteReport(const std::uint8_t* report, std::size_t length) {
    if (!report || length == 0 || length > simwire::kMaxPacket - 1) return false;
    std::vector<std::uint8_t> packet(length + 1);
    packet[0] = simwire::kWrite;
    std::memcpy(packet.data() + 1, report, length);
    std::lock_guard<std::mutex> guard(m_writeMutex);
    auto reply = simwire::Request(m_controlFd, packet);
    // Without an answer the stream may be out of step: later writes fail too.
    if (!reply) shutdown(m_controlFd, SHUT_RDWR);
    return reply && reply->size() >= 2 && (*reply)[1] == 1;
}

ReadStatus SimDevice::ReadReport(std::uint8_t* buffer, std::size_t length,
                                 std::uint32_t timeoutMs) {
    const auto want = static_cast<std::size_t>(m_inputLength);
    if (!buffer || want == 0 || length < want) return ReadStatus::Failed;
    return m_reader.Read(m_reportFd, buffer, want, timeoutMs);
}

}  // namespace qv::hid
