#include "platform/hid/Hid.h"

#include "platform/hid/HidrawBackend.h"
#include "platform/hid/SimBackend.h"

namespace qv::hid {

std::vector<DeviceInfo> Enumerate(std::uint16_t vendorId, std::uint16_t productId) {
    return SimBackendSelected() ? SimEnumerate(vendorId, productId)
                                : HidrawEnumerate(vendorId, productId);
}

std::unique_ptr<IDevice> Open(const std::u16string& path) {
    return SimBackendSelected() ? SimOpen(path) : HidrawOpen(path);
}

std::unique_ptr<IMonitor> StartMonitor(PnpCallback callback) {
    return SimBackendSelected() ? SimStartMonitor(std::move(callback))
                                : HidrawStartMonitor(std::move(callback));
}

}  // namespace qv::hid
