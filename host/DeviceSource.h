#pragma once
// Where the host finds cards and makes device objects for them; the real one
// is HID, tests give their own.
#include <string>
#include <vector>

#include "host/DeviceTable.h"

class ICommunicateDevice;

class IDeviceSource {
public:
    virtual ~IDeviceSource() = default;
    // Paths of the present cards with the row's ids, at most maxPaths.
    virtual std::vector<std::u16string> FindCards(const DeviceRow& row, int maxPaths) = 0;
    // A device object for the path, not opened yet; the caller owns it.
    virtual ICommunicateDevice* CreateDevice(const std::u16string& path) = 0;
};
