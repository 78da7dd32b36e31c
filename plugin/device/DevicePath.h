#pragma once
#include <cstdint>

#include "platform/os/Types.h"

// Reads the vendor and product ids out of a device interface path: after
// "#VID_" (any case), four hexadecimal digits at offsets 5..8 from the '#'
// give the vendor id and four at offsets 14..17 the product id. The vendor id
// is stored as soon as it parses, the product id only when it parses too;
// 1 only when both parse.
BOOL ParseVidPid(const char16_t* path, std::uint16_t& vendorId, std::uint16_t& productId);
