#pragma once
// Tray icons as StatusNotifierItems, one per (window, id).
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/ui/desktop/TrayIcon.h"

namespace qv::desktop {

class StatusNotifierItem;

class SniTrayService final : public ITrayService {
public:
    SniTrayService();
    ~SniTrayService() override;
    BOOL NotifyIcon(DWORD message, const NotifyIconData& data) override;

private:
    using Key = std::pair<HWND, UINT>;
    std::mutex mutex_;
    std::map<Key, std::shared_ptr<StatusNotifierItem>> items_;
};

}  // namespace qv::desktop
