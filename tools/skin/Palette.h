#pragma once
// The skin's colours, as RGB components in 0..1 for Cairo.
namespace qv::skintool {

struct Rgb {
    double r, g, b;
};

constexpr Rgb Hex(unsigned value) {
    return {((value >> 16) & 0xFF) / 255.0, ((value >> 8) & 0xFF) / 255.0, (value & 0xFF) / 255.0};
}

inline constexpr Rgb kWindow = Hex(0x1E1F24);
inline constexpr Rgb kPanel = Hex(0x2A2C33);
inline constexpr Rgb kPanelHover = Hex(0x343741);
inline constexpr Rgb kLine = Hex(0x3A3D46);
inline constexpr Rgb kText = Hex(0xE6E8EE);
inline constexpr Rgb kTextSecondary = Hex(0x9AA0AE);
inline constexpr Rgb kAccent = Hex(0x3DA9FC);
inline constexpr Rgb kAccentPushed = Hex(0x2B8AD6);
inline constexpr Rgb kAccentHover = Hex(0x62BAFD);
inline constexpr Rgb kWarning = Hex(0xF2A33A);
inline constexpr Rgb kError = Hex(0xE5484D);
inline constexpr Rgb kMeterGreen = Hex(0x45C46B);
inline constexpr Rgb kErrorPushed = Hex(0xC23A3F);

// Disabled controls are drawn at this opacity.
inline constexpr double kDisabledAlpha = 0.4;

}  // namespace qv::skintool
