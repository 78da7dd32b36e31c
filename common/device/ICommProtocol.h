#pragma once
#include <cstdint>

#include "platform/os/Types.h"

class ICommDeviceMgmt;

// The plug-in's frame rules, driven by the host's device manager.
class ICommProtocol {
public:
    virtual ~ICommProtocol() = default;
    virtual BOOL CheckReply(const std::uint8_t* reply, int expectedCommand) = 0;
    virtual std::uint8_t AddCrc(std::uint8_t* frame) = 0;
    virtual void OnBeforeSend(std::uint8_t* frame) = 0;
    virtual void OnAfterReply(std::uint8_t* reply) = 0;
    // A report the card sent by itself; runs on the receive thread.
    virtual void OnRecvData(std::uint8_t* report) = 0;
    virtual void AttachDeviceMgmt(ICommDeviceMgmt* manager) = 0;
    virtual void DetachDeviceMgmt() = 0;
    virtual int GetPacketLength() = 0;
};
