#pragma once
// The hidden target on the plug-in thread that receives card arrival and
// removal. The HID monitor reports on its own thread; each report is handed
// to the plug-in thread and reaches the receiver there as WM_DEVICECHANGE.
#include <functional>
#include <memory>
#include <string>

#include "platform/hid/Hid.h"
#include "platform/os/Types.h"

class IDevicePnpNotificationReceiver;

constexpr WPARAM kDeviceArrival = 0x8000;
constexpr WPARAM kDeviceRemoveComplete = 0x8004;
constexpr DWORD kDeviceTypeInterface = 5;

// What lParam of WM_DEVICECHANGE points at for an arrival or removal.
struct DeviceInterfaceBroadcast {
    DWORD deviceType;
    const char16_t* name;
};

class DeviceNotifyWindow {
public:
    using MonitorStarter = std::function<std::unique_ptr<qv::hid::IMonitor>(qv::hid::PnpCallback)>;

    explicit DeviceNotifyWindow(MonitorStarter startMonitor)
        : m_startMonitor(std::move(startMonitor)) {}
    ~DeviceNotifyWindow() { Destroy(); }
    DeviceNotifyWindow(const DeviceNotifyWindow&) = delete;
    DeviceNotifyWindow& operator=(const DeviceNotifyWindow&) = delete;

    // On the thread that is to receive the notifications. Any earlier window
    // is destroyed first. False when no target could be made.
    bool Create(IDevicePnpNotificationReceiver* receiver);
    // Stops the monitor, then removes the target; nothing reaches the
    // receiver afterwards.
    void Destroy();

private:
    static LRESULT Procedure(IDevicePnpNotificationReceiver* receiver, UINT message,
                             WPARAM wParam, LPARAM lParam);

    MonitorStarter m_startMonitor;
    HWND m_hwnd = nullptr;
    std::unique_ptr<qv::hid::IMonitor> m_monitor;
};
