#include "host/DevicePath.h"

#include <string>

#include "platform/hid/Hid.h"

bool ParseDevicePath(std::u16string_view path, std::uint16_t* vendorId,
                     std::uint16_t* productId) {
    return qv::hid::ParseIdsFromPath(std::u16string(path), vendorId, productId);
}
