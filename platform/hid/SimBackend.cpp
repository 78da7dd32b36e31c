#include "platform/hid/SimBackend.h"

#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "platform/hid/SimDevice.h"
#include "platform/hid/SimMonitor.h"
#include "platform/hid/SimWire.h"

namespace qv::hid {

bool SimBackendSelected() {
    const char* backend = std::getenv("QV_HID_BACKEND");
    return backend && std::strcmp(backend, "sim") == 0;
}

std::vector<DeviceInfo> SimEnumerate(std::uint16_t vendorId, std::uint16_t productId) {
    using namespace simwire;
    std::vector<DeviceInfo> found;
    const int fd = Connect(SocketPath());
    if (fd < 0) return found;
    std::vector<std::uint8_t> request{kEnumerate};
    PutU16(request, vendorId);
    PutU16(request, productId);
    if (auto reply = Request(fd, request)) {
        Reader fields(*reply);
        auto count = fields.U8();
        for (int i = 0; count && i < *count; ++i) {
            DeviceInfo info;
            auto vid = fields.U16();
            auto pid = vid ? fields.U16() : std::nullopt;
            auto path = pid ? fields.Path() : std::nullopt;
            if (!path) break;
            if (*vid != vendorId || *pid != productId) continue;
            found.push_back({*path, *vid, *pid});
        }
    }
    close(fd);
    return found;
}

std::unique_ptr<IDevice> SimOpen(const std::u16string& path) {
    return SimDevice::Open(simwire::SocketPath(), path);
}

std::unique_ptr<IMonitor> SimStartMonitor(PnpCallback callback) {
    return std::make_unique<SimMonitor>(simwire::SocketPath(), std::move(callback));
}

}  // namespace qv::hid
