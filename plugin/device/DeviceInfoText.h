#pragma once
// The text of the device information box, from the card's reply to the
// firmware version query (0x92): byte 4 the hardware version, byte 6 the
// firmware version (23 is V2.3), byte 14 the device type.
#include <cstdint>
#include <string>
#include <string_view>

// 1 声卡, 2 话筒, 3 耳机, 4 音箱, 5 效果器, anything else 其他.
const char16_t* GetDeviceTypeText(std::uint8_t type);

// The family's product line, then, when the query answered (reply not null,
// 64 bytes), the hardware and firmware versions and the device type, each
// line ending in '\n', in the installed language when the skin translates
// them.
std::u16string DeviceInfoText(std::u16string_view productLine, const std::uint8_t* reply);
