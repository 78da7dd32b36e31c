#pragma once
// Connects the running plug-in's card and follows cards that arrive and
// leave. Runs on the plug-in thread only.
#include <functional>
#include <utility>

#include "host/DeviceSource.h"
#include "host/DeviceTable.h"

class IAppClient;
class ICommDeviceMgmt;

class DeviceConnector {
public:
    // Asks the module loop to run the plug-in of the row next.
    using SwitchRequestFn = std::function<void(const DeviceRow& row)>;

    DeviceConnector(IDeviceSource& source, ICommDeviceMgmt* manager,
                    SwitchRequestFn requestSwitch)
        : m_source(source), m_manager(manager), m_requestSwitch(std::move(requestSwitch)) {}

    // Connects the first present card of the client's model, else an
    // update-mode card; non-zero on success.
    int ConnectDevice(IAppClient* client);

    // A card arrived (removed 0) or left (removed 1). A card of the other
    // family that arrives while none is connected requests a switch to its
    // plug-in and asks the client to quit.
    void OnPnpNotification(IAppClient* client, int removed, const char16_t* path);

    const DeviceRow* ConnectedRow() const { return m_connectedRow; }

private:
    bool ConnectPath(IAppClient* client, const DeviceRow& row, const std::u16string& path);
    void OnArrival(IAppClient* client, const char16_t* path);
    void OnRemoval(IAppClient* client, const char16_t* path);

    IDeviceSource& m_source;
    ICommDeviceMgmt* m_manager;
    SwitchRequestFn m_requestSwitch;
    const DeviceRow* m_connectedRow = nullptr;
};
