#pragma once
// One tray icon as a StatusNotifierItem on its own session-bus connection.
// The connection is served by the message loop of the thread that created
// the item: clicks arrive there and are posted to the icon's window.
#include <memory>
#include <string>

#include "platform/ui/desktop/TrayIcon.h"

struct sd_bus;
struct sd_bus_slot;

namespace qv::desktop {

class StatusNotifierItem {
public:
    // Nothing when there is no session bus or no StatusNotifierWatcher took
    // the item (no tray on this desktop).
    static std::unique_ptr<StatusNotifierItem> Create(const NotifyIconData& data);
    ~StatusNotifierItem();
    StatusNotifierItem(const StatusNotifierItem&) = delete;
    StatusNotifierItem& operator=(const StatusNotifierItem&) = delete;

    // Takes the fields that data.flags names and tells the tray.
    void Update(const NotifyIconData& data);
    DWORD OwnerThread() const { return ownerThread_; }
    const std::string& BusName() const { return busName_; }

private:
    StatusNotifierItem() = default;
    void Store(const NotifyIconData& data);
    void Process();
    void Click(UINT down, UINT up);

    friend struct ItemCallbacks;  // the bus's method and property handlers

    sd_bus* bus_ = nullptr;
    sd_bus_slot* vtableSlot_ = nullptr;
    std::string busName_;
    DWORD ownerThread_ = 0;
    int fd_ = -1;

    HWND hwnd_ = nullptr;
    UINT id_ = 0;
    UINT callbackMessage_ = 0;
    bool hasCallback_ = false;
    std::vector<TrayIconImage> icon_;  // the well-formed sizes
    std::string tip_;
};

}  // namespace qv::desktop
