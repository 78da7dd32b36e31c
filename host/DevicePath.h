#pragma once
#include <cstdint>
#include <string_view>

// Reads the vendor and product id from a device interface path: upper-cased,
// "#VID_" found, four hex digits at offsets 5 and 14 after its '#'. False for
// a path without "#VID_", one too short to hold both numbers, or digits that
// are not all hexadecimal.
[[nodiscard]] bool ParseDevicePath(std::u16string_view path, std::uint16_t* vendorId,
                                   std::uint16_t* productId);
