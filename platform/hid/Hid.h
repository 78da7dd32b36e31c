#pragma once
// HID access to the cards. One interface; the backend is hidraw with libudev,
// or the simulated card over a local socket when QV_HID_BACKEND=sim (socket
// path in QV_SIM_SOCKET). Nothing above this header knows which one runs.
//
// Device paths keep the form the program parses: they contain
// "#VID_vvvv&PID_pppp" (upper-case hex) after a '#'. Paths compare ignoring case.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qv::hid {

struct DeviceInfo {
    std::u16string path;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

enum class ReadStatus { Ok, TimedOut, Cancelled, Failed };

// One opened HID interface. Report lengths include the report id byte.
class IDevice {
public:
    virtual ~IDevice() = default;
    virtual int InputReportLength() const = 0;
    virtual int OutputReportLength() const = 0;
    // Writes one whole output report (report id in byte 0); true when it left.
    [[nodiscard]] virtual bool WriteReport(const std::uint8_t* report, std::size_t length) = 0;
    // Reads one whole input report into buffer (report id first). A short or
    // failed read is Failed, never a zeroed report.
    [[nodiscard]] virtual ReadStatus ReadReport(std::uint8_t* buffer, std::size_t length,
                                                std::uint32_t timeoutMs) = 0;
    // Ends a waiting ReadReport at once with Cancelled; when none waits, the
    // next ReadReport returns Cancelled at once (a cancel is never lost).
    virtual void CancelRead() = 0;
};

// All present HID interfaces with the given ids.
std::vector<DeviceInfo> Enumerate(std::uint16_t vendorId, std::uint16_t productId);

// Opens a device by path; null when it cannot be opened.
std::unique_ptr<IDevice> Open(const std::u16string& path);

// Arrival and removal of HID interfaces. The callback runs on the monitor's
// own thread; the caller hands it on to the thread that needs it. Destroying
// the monitor stops and joins that thread, so the callback must not do it.
// Null when monitoring is unavailable (no udev).
using PnpCallback = std::function<void(bool removed, const std::u16string& path)>;
class IMonitor {
public:
    virtual ~IMonitor() = default;
};
std::unique_ptr<IMonitor> StartMonitor(PnpCallback callback);

// "...#VID_2B53&PID_0011..." -> ids; false when the path does not carry them.
bool ParseIdsFromPath(const std::u16string& path, std::uint16_t* vendorId,
                      std::uint16_t* productId);

}  // namespace qv::hid
