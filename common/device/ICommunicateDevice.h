#pragma once
#include <cstdint>

#include "platform/os/Types.h"

// One open HID card as the device manager sees it. Lengths are payload
// lengths: the HID report length less the report id byte.
class ICommunicateDevice {
public:
    virtual ~ICommunicateDevice() = default;
    virtual BOOL IsOpen() = 0;
    virtual BOOL OpenDevice() = 0;
    virtual void CloseDevice() = 0;
    virtual BOOL Write(const std::uint8_t* data, int length) = 0;
    // Waits up to timeoutMs for one report; *report points at its payload.
    virtual BOOL Read(std::uint8_t** report, std::uint32_t timeoutMs) = 0;
    // Ends a waiting (or the next) Read at once with a failure.
    virtual BOOL CancelRead() = 0;
    virtual int GetInputReportLength() = 0;
    virtual int GetOutputReportLength() = 0;
    virtual const char16_t* GetDevicePath() = 0;
};
