#pragma once
// The cards on the HID bus (or the simulated card, as the HID layer chooses).
#include "host/DeviceSource.h"

class HidDeviceSource final : public IDeviceSource {
public:
    std::vector<std::u16string> FindCards(const DeviceRow& row, int maxPaths) override;
    ICommunicateDevice* CreateDevice(const std::u16string& path) override;
};
