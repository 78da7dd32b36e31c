#pragma once
#include <cstdint>

#include "platform/os/Types.h"

class ICommunicateDevice;
class ICommProtocol;

// The host's request/reply engine for one attached card.
class ICommDeviceMgmt {
public:
    virtual ~ICommDeviceMgmt() = default;
    virtual BOOL IsConnected() = 0;
    virtual BOOL Connect(ICommunicateDevice* device, ICommProtocol* protocol) = 0;
    virtual void Disconnect() = 0;
    // reply must hold qv::frame::kBufferSize (64) bytes.
    virtual BOOL SendAndReceive(std::uint8_t* frame, std::uint8_t* reply, int attempts,
                                int timeoutMs) = 0;
    virtual BOOL SendNotReceive(std::uint8_t* frame) = 0;
    virtual void RecvThreadProc() = 0;
    virtual ICommunicateDevice* GetDevice() = 0;
};
