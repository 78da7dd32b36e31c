#pragma once
#include <cstdint>

// The ids a card of this maker carries in its device path.
constexpr std::uint16_t kCardVendorId = 0x2B53;
constexpr std::uint16_t kNormalModeProductId = 0x0036;
constexpr std::uint16_t kUpdateModeProductId = 0x0020;
