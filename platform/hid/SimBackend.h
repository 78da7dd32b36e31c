#pragma once
// The sim backend: the simulated card served on a local socket (SimWire.h).
// It behaves as hidraw does for callers: the same path form, report lengths
// from the card, cancel semantics, a failed read once the card is unplugged.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/hid/Hid.h"

namespace qv::hid {

// True when QV_HID_BACKEND is "sim".
bool SimBackendSelected();

std::vector<DeviceInfo> SimEnumerate(std::uint16_t vendorId, std::uint16_t productId);
std::unique_ptr<IDevice> SimOpen(const std::u16string& path);
// Never null: while no server listens, the monitor keeps trying to reach one,
// and cards present when it does reach one are reported as arrivals.
std::unique_ptr<IMonitor> SimStartMonitor(PnpCallback callback);

}  // namespace qv::hid
