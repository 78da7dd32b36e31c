#include "host/DeviceConnector.h"

#include <string>

#include "common/device/ICommDeviceMgmt.h"
#include "common/device/ICommunicateDevice.h"
#include "host/AppInterfaces.h"
#include "host/DevicePath.h"
#include "platform/os/Utf.h"

namespace {

// Room for two paths, as the card search has always used.
constexpr int kMaxPaths = 2;

// Rows whose card the client may connect: its own family in table order,
// then the update mode, which serves both families.
template <class Fn>
bool ForEachRowOfClient(std::uint32_t model, Fn&& fn) {
    for (const DeviceRow& row : kDeviceTable) {
        if (row.modelCode == model && fn(row)) return true;
    }
    const DeviceRow& update = UpdateModeRow();
    return update.modelCode != model && fn(update);
}

}  // namespace

int DeviceConnector::ConnectDevice(IAppClient* client) {
    if (!client || !m_manager) return 0;
    const DeviceRow* found = nullptr;
    std::u16string path;
    ForEachRowOfClient(client->GetModelId(), [&](const DeviceRow& row) {
        std::vector<std::u16string> paths = m_source.FindCards(row, kMaxPaths);
        if (paths.empty()) return false;
        found = &row;
        path = paths.front();
        return true;
    });
    if (!found) return 0;
    return ConnectPath(client, *found, path) ? 1 : 0;
}

bool DeviceConnector::ConnectPath(IAppClient* client, const DeviceRow& row,
                                  const std::u16string& path) {
    ICommunicateDevice* device = m_source.CreateDevice(path);
    if (!device) return false;
    // The manager owns the device from here on, connected or not.
    if (!m_manager->Connect(device, client->GetProtocol())) return false;
    m_connectedRow = &row;
    return true;
}

void DeviceConnector::OnPnpNotification(IAppClient* client, int removed,
                                        const char16_t* path) {
    if (!client || !m_manager || !path) return;
    if (removed) {
        OnRemoval(client, path);
    } else {
        OnArrival(client, path);
    }
}

void DeviceConnector::OnArrival(IAppClient* client, const char16_t* path) {
    if (m_manager->IsConnected()) return;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    if (!ParseDevicePath(path, &vendorId, &productId)) return;
    const DeviceRow* row = FindDeviceRow(vendorId, productId);
    if (!row) return;
    // An update-mode card may belong to either family: the running plug-in
    // takes it, so that its own card can be upgraded.
    if (row->modelCode != client->GetModelId() && !IsUpdateModeRow(*row)) {
        if (m_requestSwitch) m_requestSwitch(*row);
        client->Quit();
        return;
    }
    if (ConnectPath(client, *row, path)) client->OnDevicePnp(0, path);
}

void DeviceConnector::OnRemoval(IAppClient* client, const char16_t* path) {
    if (!m_manager->IsConnected()) return;
    ICommunicateDevice* device = m_manager->GetDevice();
    if (!device || !device->GetDevicePath()) return;
    if (!qv::os::EqualsNoCase(device->GetDevicePath(), path)) return;
    m_connectedRow = nullptr;
    m_manager->Disconnect();
    client->OnDevicePnp(1, path);
}
