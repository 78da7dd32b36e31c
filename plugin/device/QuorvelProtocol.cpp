#include "plugin/device/QuorvelProtocol.h"

#include <algorithm>
#include <cstring>

#include "common/device/Frame.h"
#include "common/device/ICommDeviceMgmt.h"
#include "common/device/ICommunicateDevice.h"
#include "platform/os/Log.h"
#include "plugin/device/DevicePath.h"
#include "plugin/device/RecvDataListener.h"

namespace {

constexpr std::uint8_t kCmdDeviceInfo = 0x26;
constexpr std::uint8_t kCmdFirmwareBlock = 0x28;
constexpr std::uint8_t kCmdRestart = 0x2A;
constexpr std::uint8_t kCmdSession = 0x90;
constexpr std::uint8_t kCmdFirmwareVersion = 0x92;
constexpr std::uint8_t kCmd9A = 0x9A;
constexpr std::uint8_t kCmdNotification = 0x9E;
constexpr std::uint8_t kCmdAcknowledge = 0x9F;

constexpr std::uint8_t kStatusBadCrc = 0x03;
constexpr std::uint8_t kStatusBadFlag = 0xA0;
// A good frame the plug-in cannot keep is refused with the status the card
// already knows as a refusal.
constexpr std::uint8_t kStatusRefused = kStatusBadFlag;

constexpr std::uint32_t kFirmwareBlockBytes = 32;
constexpr std::uint32_t kMaxFirmwareBytes = 65536;
constexpr int kFirmwareDataOffset = 4;

// The card answers device info and firmware blocks without a valid checksum;
// their replies are judged by command and status alone.
bool IsRawReply(int expectedCommand) {
    const std::uint8_t expected = static_cast<std::uint8_t>(expectedCommand & 0xFF);
    return expected == kCmdDeviceInfo + 1 || expected == kCmdFirmwareBlock + 1;
}

CQuorvelProtocol::Frame RequestFrame(std::uint8_t command) {
    CQuorvelProtocol::Frame frame{};
    frame[qv::frame::kCommandByte] = command;
    return frame;
}

}  // namespace

CQuorvelProtocol::CQuorvelProtocol(std::uint16_t normalModeProductId)
    : m_normalModeProductId(normalModeProductId) {}

BOOL CQuorvelProtocol::Exchange(Frame& request, Frame& reply, int attempts, int timeoutMs) {
    ICommDeviceMgmt* transport = Transport();
    if (!transport) return FALSE;
    return transport->SendAndReceive(request.data(), reply.data(), attempts, timeoutMs) ? TRUE
                                                                                        : FALSE;
}

BOOL CQuorvelProtocol::SendSimple(std::uint8_t command, std::uint8_t byte4, int attempts,
                                  int timeoutMs) {
    Frame request = RequestFrame(command);
    request[4] = byte4;
    Frame reply{};
    return Exchange(request, reply, attempts, timeoutMs);
}

BOOL CQuorvelProtocol::GetDeviceInfo(std::uint8_t& byte4, std::uint8_t& byte6) {
    byte4 = 0;
    byte6 = 0;
    Frame request = RequestFrame(kCmdDeviceInfo);
    Frame reply{};
    if (!Exchange(request, reply, 4, 500)) return FALSE;
    byte4 = reply[4];
    byte6 = reply[6];
    return TRUE;
}

BOOL CQuorvelProtocol::QueryFirmwareVersion(std::uint8_t* reply) {
    if (!reply) return FALSE;
    Frame request = RequestFrame(kCmdFirmwareVersion);
    Frame received{};
    if (!Exchange(request, received, 3, 300)) return FALSE;
    std::memcpy(reply, received.data(), received.size());
    return TRUE;
}

void CQuorvelProtocol::RestartDevice() {
    ICommDeviceMgmt* transport = Transport();
    if (!transport) return;
    Frame request = RequestFrame(kCmdRestart);
    transport->SendNotReceive(request.data());
}

BOOL CQuorvelProtocol::UpgradeFirmware(const std::uint8_t* image, std::uint32_t length) {
    if (!Transport()) return FALSE;
    if (!image || length == 0 || length > kMaxFirmwareBytes) {
        QV_LOGE("invalid parameter.\n");
        return FALSE;
    }
    std::uint32_t index = 0;
    for (std::uint32_t offset = 0; offset < length; offset += kFirmwareBlockBytes, ++index) {
        Frame request = RequestFrame(kCmdFirmwareBlock);
        request[1] = static_cast<std::uint8_t>(index >> 8);
        request[2] = static_cast<std::uint8_t>(index);
        const std::uint32_t count = std::min(kFirmwareBlockBytes, length - offset);
        std::memcpy(request.data() + kFirmwareDataOffset, image + offset, count);
        Frame reply{};
        if (!Exchange(request, reply, 3, 5000)) {
            QV_LOGE("send cmd--0x10 failed. index=%d\n", static_cast<int>(index));
            return FALSE;
        }
    }
    return TRUE;
}

BOOL CQuorvelProtocol::SendFrames(const std::vector<Frame>& frames) {
    for (const Frame& frame : frames) {
        Frame request = frame;  // the manager seals it in place
        Frame reply{};
        if (!Exchange(request, reply, 3, 500)) return FALSE;
    }
    return TRUE;
}

BOOL CQuorvelProtocol::SendSessionFlag(std::uint8_t open) {
    return SendSimple(kCmdSession, open, 3, 500);
}

BOOL CQuorvelProtocol::SendCommand9A(std::uint8_t value) {
    return SendSimple(kCmd9A, value, 3, 500);
}

int CQuorvelProtocol::CheckDevicePid() {
    ICommDeviceMgmt* transport = Transport();
    if (!transport) return -1;
    ICommunicateDevice* device = transport->GetDevice();
    if (!device) return -1;
    const char16_t* path = device->GetDevicePath();
    if (!path) return -1;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    if (!ParseVidPid(path, vendorId, productId) || vendorId != kCardVendorId) return -1;
    if (productId == m_normalModeProductId) return 0;
    if (productId == kUpdateModeProductId) return 1;
    return -1;
}

void CQuorvelProtocol::SetRecvDataListener(IRecvDataListener* listener) {
    m_recvListener.store(listener);
}

BOOL CQuorvelProtocol::CheckReply(const std::uint8_t* reply, int expectedCommand) {
    if (!IsRawReply(expectedCommand)) return CProtocol::CheckReply(reply, expectedCommand);
    const std::uint8_t expected = static_cast<std::uint8_t>(expectedCommand & 0xFF);
    const std::uint8_t command = reply[qv::frame::kCommandByte];
    if (command != expected) {
        QV_LOGE("CheckReply error: reply cmd 0x%02x != 0x%02x", command, expected);
        return FALSE;
    }
    const std::uint8_t status = reply[qv::frame::kStatusByte];
    if (status != qv::frame::kStatusOk) {
        QV_LOGE("CheckReply error: reply falg 0x%02x != 0x%02x  cmd=0x%02x", status,
                qv::frame::kStatusOk, command);
        return FALSE;
    }
    return TRUE;
}

void CQuorvelProtocol::OnRecvData(std::uint8_t* report) {
    if (!report || report[qv::frame::kCommandByte] != kCmdNotification) return;
    const std::uint8_t command = report[qv::frame::kCommandByte];
    std::uint8_t status = qv::frame::kStatusOk;
    const std::uint8_t crc = qv::frame::Crc8(report, qv::frame::kCrcByte);
    if (crc != report[qv::frame::kCrcByte]) {
        QV_LOGE("CheckReply error: reply crc 0x%02x != 0x%02x  cmd=0x%02x",
                report[qv::frame::kCrcByte], crc, command);
        status = kStatusBadCrc;
    }
    if (report[qv::frame::kStatusByte] != 0) {
        QV_LOGE("CheckReply error: reply falg 0x%02x != 0  cmd=0x%02x",
                report[qv::frame::kStatusByte], command);
        status = kStatusBadFlag;
    }
    OnAfterReply(report);

    Frame frame{};
    std::memcpy(frame.data(), report, frame.size());
    // A good frame is handed on before it is acknowledged: one that nobody
    // takes is refused rather than acknowledged as kept.
    if (status == qv::frame::kStatusOk) {
        IRecvDataListener* listener = m_recvListener.load();
        if (!listener || !listener->OnRecvData(frame)) {
            QV_LOGW("notification not taken: refused");
            status = kStatusRefused;
        }
    }
    Frame ack = frame;
    ack[qv::frame::kCommandByte] = kCmdAcknowledge;
    ack[qv::frame::kStatusByte] = status;
    if (ICommDeviceMgmt* transport = Transport()) transport->SendNotReceive(ack.data());
}

void CQuorvelProtocol::AttachDeviceMgmt(ICommDeviceMgmt* manager) { m_transport.store(manager); }

void CQuorvelProtocol::DetachDeviceMgmt() { m_transport.store(nullptr); }
