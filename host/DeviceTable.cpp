#include "host/DeviceTable.h"

const DeviceRow* FindDeviceRow(std::uint16_t vendorId, std::uint16_t productId) {
    for (const DeviceRow& row : kDeviceTable) {
        if (row.vendorId == vendorId && row.productId == productId) return &row;
    }
    return nullptr;
}

bool IsUpdateModeRow(const DeviceRow& row) {
    return row.vendorId == kQuorvelVendorId && row.productId == kUpdateModeProductId;
}

const DeviceRow& UpdateModeRow() {
    return *FindDeviceRow(kQuorvelVendorId, kUpdateModeProductId);
}

std::u16string_view CanonicalPluginFile(std::u16string_view name) {
    if (name == u"dorbIV.so") return u"dorbII.so";
    return name;
}
