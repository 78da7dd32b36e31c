#pragma once
// Device interface paths in the form the program parses:
//   \\?\hid#VID_2B53&PID_0036#<instance>#{4d1e55b2-f16f-11cf-88cb-001111000030}
// The instance segment names the device inside its backend (a hidraw node,
// the simulated card); backends map it back to what they open.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv::hid {

// Ids in upper-case hex, as the parse expects.
std::u16string MakeDevicePath(std::uint16_t vendorId, std::uint16_t productId,
                              std::u16string_view instance);

// The segment between the '#' after the ids and the next '#'; nullopt when
// the path is not of the form above.
std::optional<std::u16string> InstanceFromPath(std::u16string_view path);

// "/dev/hidrawN" for a path whose instance is "hidrawN" (any case, N digits
// only, so a path never names anything outside /dev).
std::optional<std::string> HidrawNodeFromPath(std::u16string_view path);

}  // namespace qv::hid
