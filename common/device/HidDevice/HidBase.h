#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "common/device/ICommunicateDevice.h"
#include "platform/hid/Hid.h"

// One USB HID card reached through the HID layer. Reports carry report id 0
// in byte 0; the lengths callers see are payload lengths (HID length - 1).
// One reader thread and any number of writer threads may use an open device:
// writes are serialised and complete before Write returns.
class CHidBase : public ICommunicateDevice {
public:
    static constexpr int kPathLength = 260;
    static constexpr int kMaxReportLength = 128;
    // Opens the device behind a path; the HID layer's Open unless a test
    // supplies its own.
    using Opener = std::function<std::unique_ptr<qv::hid::IDevice>(const std::u16string& path)>;

    explicit CHidBase(const char16_t* path);
    CHidBase(const char16_t* path, Opener opener);
    ~CHidBase() override;
    CHidBase(const CHidBase&) = delete;
    CHidBase& operator=(const CHidBase&) = delete;

    BOOL IsOpen() override;
    BOOL OpenDevice() override;
    void CloseDevice() override;
    BOOL Write(const std::uint8_t* data, int length) override;
    // *report points at the payload in a buffer of at least 64 bytes. A
    // time-out, a cancel, a failed or a short read all fail.
    BOOL Read(std::uint8_t** report, std::uint32_t timeoutMs) override;
    BOOL CancelRead() override;
    int GetInputReportLength() override;
    int GetOutputReportLength() override;
    const char16_t* GetDevicePath() override;

    // Copies up to `maximum` paths of present cards with the ids into
    // `paths` (when given) and returns how many there are in all.
    static int EnumDevices(char16_t (*paths)[kPathLength], int maximum, std::uint16_t vendorId,
                           std::uint16_t productId);

private:
    char16_t m_path[kPathLength] = {};
    Opener m_opener;
    std::unique_ptr<qv::hid::IDevice> m_device;
    int m_inputLength = 0;   // HID lengths, report id included; 0 while closed
    int m_outputLength = 0;
    std::uint8_t m_input[kMaxReportLength] = {};
    std::uint8_t m_output[kMaxReportLength] = {};
    std::mutex m_writeLock;
};
