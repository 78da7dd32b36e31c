#pragma once
// The cards the host knows and the plug-in that serves each of them.
#include <array>
#include <cstdint>
#include <string_view>

#include "host/AppInterfaces.h"

struct DeviceRow {
    std::uint16_t vendorId;
    std::uint16_t productId;
    std::uint32_t modelCode;
    const char16_t* pluginFile;
};

constexpr std::uint16_t kQuorvelVendorId = 0x2B53;
// The update (firmware loader) mode of both families.
constexpr std::uint16_t kUpdateModeProductId = 0x0020;

inline constexpr std::array<DeviceRow, 3> kDeviceTable{{
    {kQuorvelVendorId, 0x001D, kModelZenk, u"zenk.so"},
    {kQuorvelVendorId, kUpdateModeProductId, kModelZenk, u"zenk.so"},
    {kQuorvelVendorId, 0x0036, kModelDorbII, u"dorbII.so"},
}};

// The row with these ids, or null.
const DeviceRow* FindDeviceRow(std::uint16_t vendorId, std::uint16_t productId);

bool IsUpdateModeRow(const DeviceRow& row);

// The row of the update-mode card.
const DeviceRow& UpdateModeRow();

// Maps the legacy plug-in name "dorbIV.so" to "dorbII.so"; other names pass.
std::u16string_view CanonicalPluginFile(std::u16string_view name);
