#include "platform/hid/HidrawBackend.h"

#include <fcntl.h>
#include <libudev.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/hid/HidPath.h"
#include "platform/hid/HidrawDevice.h"
#include "platform/hid/HidrawMonitor.h"
#include "platform/os/Log.h"
#include "platform/os/Utf.h"

namespace qv::hid {

bool ParseHidId(const char* hidId, std::uint16_t* vendorId, std::uint16_t* productId) {
    if (!hidId) return false;
    unsigned bus = 0;
    unsigned long vendor = 0, product = 0;
    char* end = nullptr;
    bus = static_cast<unsigned>(std::strtoul(hidId, &end, 16));
    if (end == hidId || *end != ':') return false;
    const char* p = end + 1;
    vendor = std::strtoul(p, &end, 16);
    if (end == p || *end != ':') return false;
    p = end + 1;
    product = std::strtoul(p, &end, 16);
    if (end == p || *end != '\0' || vendor > 0xFFFF || product > 0xFFFF) return false;
    (void)bus;
    *vendorId = static_cast<std::uint16_t>(vendor);
    *productId = static_cast<std::uint16_t>(product);
    return true;
}

std::optional<DeviceInfo> HidrawDeviceInfo(udev_device* hidraw) {
    const char* name = udev_device_get_sysname(hidraw);
    udev_device* hid = udev_device_get_parent_with_subsystem_devtype(hidraw, "hid", nullptr);
    if (!name || !hid) return std::nullopt;
    DeviceInfo info;
    if (!ParseHidId(udev_device_get_property_value(hid, "HID_ID"), &info.vendorId,
                    &info.productId))
        return std::nullopt;
    info.path = MakeDevicePath(info.vendorId, info.productId, os::Utf8ToUtf16(name));
    return info;
}

std::vector<DeviceInfo> HidrawEnumerate(std::uint16_t vendorId, std::uint16_t productId) {
    std::vector<DeviceInfo> found;
    udev* context = udev_new();
    if (!context) {
        QV_LOGE("udev_new failed");
        return found;
    }
    udev_enumerate* list = udev_enumerate_new(context);
    if (list && udev_enumerate_add_match_subsystem(list, "hidraw") >= 0 &&
        udev_enumerate_scan_devices(list) >= 0) {
        udev_list_entry* entry;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(list)) {
            udev_device* dev = udev_device_new_from_syspath(context, udev_list_entry_get_name(entry));
            if (!dev) continue;
            auto info = HidrawDeviceInfo(dev);
            const char* node = udev_device_get_devnode(dev);
            if (info && node && info->vendorId == vendorId && info->productId == productId) {
                // Like the interface list on Windows, a node we cannot open is not counted.
                const int fd = open(node, O_RDWR | O_CLOEXEC);
                if (fd >= 0) {
                    close(fd);
                    found.push_back(std::move(*info));
                }
            }
            udev_device_unref(dev);
        }
    }
    if (list) udev_enumerate_unref(list);
    udev_unref(context);
    return found;
}

// Node numbers are reused: the node must still belong to the ids of the path.
bool NodeStillMatches(const std::u16string& path, const std::string& node) {
    std::uint16_t vendorId = 0, productId = 0;
    if (!ParseIdsFromPath(path, &vendorId, &productId)) return false;
    udev* context = udev_new();
    if (!context) return false;
    bool matches = false;
    const std::string sysname = node.substr(node.rfind('/') + 1);
    if (udev_device* dev = udev_device_new_from_subsystem_sysname(context, "hidraw", sysname.c_str())) {
        auto info = HidrawDeviceInfo(dev);
        matches = info && info->vendorId == vendorId && info->productId == productId;
        udev_device_unref(dev);
    }
    udev_unref(context);
    return matches;
}

std::unique_ptr<IDevice> HidrawOpen(const std::u16string& path) {
    auto node = HidrawNodeFromPath(path);
    if (!node || !NodeStillMatches(path, *node)) return nullptr;
    return HidrawDevice::Open(*node);
}

std::unique_ptr<IMonitor> HidrawStartMonitor(PnpCallback callback) {
    return HidrawMonitor::Start(std::move(callback));
}

}  // namespace qv::hid
