#include "common/device/Protocol.h"

#include "common/device/Frame.h"
#include "platform/os/Log.h"

BOOL CProtocol::CheckReply(const std::uint8_t* reply, int expectedCommand) {
    const int crcByte = m_packetLength - 1;
    const std::uint8_t crc = qv::frame::Crc8(reply, crcByte);
    if (crc != reply[crcByte]) {
        QV_LOGE("CheckReply error: reply crc 0x%02x != 0x%02x  cmd=0x%02x", reply[crcByte], crc,
                reply[qv::frame::kCommandByte]);
        return FALSE;
    }
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

std::uint8_t CProtocol::AddCrc(std::uint8_t* frame) {
    frame[m_packetLength - 1] = qv::frame::Crc8(frame, m_packetLength - 1);
    return frame[m_packetLength - 1];
}

void CProtocol::OnBeforeSend(std::uint8_t* frame) {
    if (m_hook) m_hook->OnFrameSending(frame);
}

void CProtocol::OnAfterReply(std::uint8_t* reply) {
    if (m_hook) m_hook->OnReplyAccepted(reply);
}

int CProtocol::GetPacketLength() { return m_packetLength; }
