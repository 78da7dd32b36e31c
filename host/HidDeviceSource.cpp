#include "host/HidDeviceSource.h"

#include <memory>

#include "common/device/HidDevice/HidBase.h"

std::vector<std::u16string> HidDeviceSource::FindCards(const DeviceRow& row, int maxPaths) {
    if (maxPaths <= 0) return {};
    auto paths = std::make_unique<char16_t[][CHidBase::kPathLength]>(maxPaths);
    const int count = CHidBase::EnumDevices(paths.get(), maxPaths, row.vendorId, row.productId);
    std::vector<std::u16string> found;
    for (int i = 0; i < count && i < maxPaths; ++i) found.emplace_back(paths[i]);
    return found;
}

ICommunicateDevice* HidDeviceSource::CreateDevice(const std::u16string& path) {
    return new CHidBase(path.c_str());
}
