#pragma once
#include <cstdint>

#include "common/device/ICommProtocol.h"

// Optional observer of the frames a protocol sends and the replies it accepts.
class IProtocolHook {
public:
    virtual ~IProtocolHook() = default;
    virtual void OnFrameSending(std::uint8_t* frame) = 0;
    virtual void OnReplyAccepted(std::uint8_t* reply) = 0;
};

// The frame rules every card protocol shares: 40-byte frames sealed with the
// card's CRC-8, replies judged by checksum, command and status. The concrete
// protocol adds the commands and the frames the card sends by itself.
class CProtocol : public ICommProtocol {
public:
    CProtocol() = default;

    // 1 when the reply's CRC, command (low 8 bits of expectedCommand) and
    // status byte are right; the first failing test is logged.
    BOOL CheckReply(const std::uint8_t* reply, int expectedCommand) override;
    // Seals bytes 0..38 into byte 39 and returns the checksum.
    std::uint8_t AddCrc(std::uint8_t* frame) override;
    void OnBeforeSend(std::uint8_t* frame) override;
    void OnAfterReply(std::uint8_t* reply) override;
    int GetPacketLength() override;

protected:
    explicit CProtocol(IProtocolHook* hook) : m_hook(hook) {}

private:
    int m_packetLength = 40;
    IProtocolHook* m_hook = nullptr;
};
