#include "host/DeviceNotifyWindow.h"

#include "host/AppInterfaces.h"
#include "platform/os/Log.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Messages.h"

namespace {

constexpr WPARAM kDevNodesChanged = 0x0007;
constexpr WPARAM kDeviceQueryRemove = 0x8001;
constexpr WPARAM kDeviceQueryRemoveFailed = 0x8002;
constexpr WPARAM kDeviceRemovePending = 0x8003;

}  // namespace

bool DeviceNotifyWindow::Create(IDevicePnpNotificationReceiver* receiver) {
    Destroy();
    m_hwnd = qv::os::CreateTarget([receiver](HWND, UINT message, WPARAM wParam, LPARAM lParam) {
        return Procedure(receiver, message, wParam, lParam);
    });
    if (!m_hwnd) {
        QV_LOGE("no notification target");
        return false;
    }
    const HWND hwnd = m_hwnd;
    const DWORD thread = qv::os::GetCurrentThreadId();
    if (!m_startMonitor) return true;
    m_monitor = m_startMonitor([hwnd, thread](bool removed, const std::u16string& path) {
        qv::os::PostTask(thread, [hwnd, removed, path] {
            if (!qv::os::IsTarget(hwnd)) return;
            DeviceInterfaceBroadcast broadcast{kDeviceTypeInterface, path.c_str()};
            qv::os::SendMessage(hwnd, WM_DEVICECHANGE,
                                removed ? kDeviceRemoveComplete : kDeviceArrival,
                                reinterpret_cast<LPARAM>(&broadcast));
        });
    });
    if (!m_monitor) QV_LOGE("no device monitor: arrival and removal are not followed");
    return true;
}

void DeviceNotifyWindow::Destroy() {
    m_monitor.reset();
    if (m_hwnd) qv::os::DestroyTarget(m_hwnd);
    m_hwnd = nullptr;
}

LRESULT DeviceNotifyWindow::Procedure(IDevicePnpNotificationReceiver* receiver, UINT message,
                                      WPARAM wParam, LPARAM lParam) {
    if (message != WM_DEVICECHANGE) return 0;
    switch (wParam) {
    case kDevNodesChanged:
        QV_TRACE("DBT_DEVNODES_CHANGED -- a device has been added to or removed from the system.\n");
        break;
    case kDeviceQueryRemove:
        QV_TRACE("DBT_DEVICEQUERYREMOVE wants to remove, may fail\n");
        break;
    case kDeviceQueryRemoveFailed:
        QV_TRACE("DBT_DEVICEQUERYREMOVEFAILED removal aborted\n");
        break;
    case kDeviceRemovePending:
        QV_TRACE("DBT_DEVICEREMOVEPENDING about to remove, still avail\n");
        break;
    case kDeviceArrival:
    case kDeviceRemoveComplete: {
        QV_TRACE(wParam == kDeviceArrival ? "DBT_DEVICEARRIVAL system detected a new device\n"
                                          : "DBT_DEVICEREMOVECOMPLETE device is gone\n");
        const auto* broadcast = reinterpret_cast<const DeviceInterfaceBroadcast*>(lParam);
        if (broadcast && broadcast->deviceType == kDeviceTypeInterface && receiver) {
            receiver->OnPnpNotification(wParam == kDeviceRemoveComplete ? 1 : 0, broadcast->name);
        }
        break;
    }
    default:
        break;
    }
    return 0;
}
