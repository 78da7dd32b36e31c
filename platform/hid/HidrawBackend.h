#pragma once
// The hidraw backend: the device list and ids from libudev, devices opened
// through their /dev/hidrawN node.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/hid/Hid.h"

struct udev_device;

namespace qv::hid {

std::vector<DeviceInfo> HidrawEnumerate(std::uint16_t vendorId, std::uint16_t productId);
std::unique_ptr<IDevice> HidrawOpen(const std::u16string& path);
std::unique_ptr<IMonitor> HidrawStartMonitor(PnpCallback callback);

// The interface path of a hidraw udev device, from the ids of its parent HID
// device; nullopt when it has none (the parent is gone, not a HID device).
std::optional<DeviceInfo> HidrawDeviceInfo(udev_device* hidraw);

// "0003:00002B53:00000036" (the HID_ID property) -> ids.
bool ParseHidId(const char* hidId, std::uint16_t* vendorId, std::uint16_t* productId);

}  // namespace qv::hid
