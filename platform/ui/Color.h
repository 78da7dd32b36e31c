#pragma once
// Colours are stored as 0xAABBGGRR (red in the lowest byte, alpha in the
// highest) and converted to ARGB where Cairo draws.
#include <cstdint>

namespace qv::ui {

using COLORREF = std::uint32_t;

constexpr COLORREF RGBA(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
           (static_cast<COLORREF>(b) << 16) | (static_cast<COLORREF>(a) << 24);
}
constexpr std::uint8_t GetRValue(COLORREF c) { return c & 0xFF; }
constexpr std::uint8_t GetGValue(COLORREF c) { return (c >> 8) & 0xFF; }
constexpr std::uint8_t GetBValue(COLORREF c) { return (c >> 16) & 0xFF; }
constexpr std::uint8_t GetAValue(COLORREF c) { return (c >> 24) & 0xFF; }
// 0xAARRGGBB, the order of Cairo's ARGB32 pixels (before premultiplying).
constexpr std::uint32_t ToArgb(COLORREF c) {
    return (static_cast<std::uint32_t>(GetAValue(c)) << 24) | (static_cast<std::uint32_t>(GetRValue(c)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}
constexpr COLORREF CR_INVALID = 0x00FFFFFFu;  // "no colour": fully transparent white

}  // namespace qv::ui
