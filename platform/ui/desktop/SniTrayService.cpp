#include "platform/ui/desktop/SniTrayService.h"

#include <atomic>

#include "platform/os/Log.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/desktop/StatusNotifierItem.h"

namespace qv::desktop {
namespace {

std::atomic<ITrayService*> g_replacement{nullptr};

// An item's bus connection belongs to the thread that created it: work on it
// from elsewhere is handed to that thread.
void OnOwnerThread(const std::shared_ptr<StatusNotifierItem>& item, std::function<void()> work) {
    if (item->OwnerThread() == os::GetCurrentThreadId() || !os::PostTask(item->OwnerThread(), work)) {
        work();
    }
}

}  // namespace

ITrayService& TrayService() {
    if (ITrayService* replacement = g_replacement.load()) return *replacement;
    static SniTrayService service;
    return service;
}

void SetTrayService(ITrayService* service) { g_replacement.store(service); }

BOOL Shell_NotifyIcon(DWORD message, const NotifyIconData& data) {
    return TrayService().NotifyIcon(message, data);
}

SniTrayService::SniTrayService() = default;
SniTrayService::~SniTrayService() = default;

BOOL SniTrayService::NotifyIcon(DWORD message, const NotifyIconData& data) {
    const Key key{data.hwnd, data.id};
    std::unique_lock<std::mutex> lock(mutex_);
    auto it = items_.find(key);
    switch (message) {
    case NIM_ADD: {
        if (it != items_.end()) return FALSE;
        lock.unlock();  // creating talks to the bus
        std::shared_ptr<StatusNotifierItem> item = StatusNotifierItem::Create(data);
        if (!item) return FALSE;
        lock.lock();
        return items_.emplace(key, std::move(item)).second ? TRUE : FALSE;
    }
    case NIM_MODIFY: {
        if (it == items_.end()) return FALSE;
        std::shared_ptr<StatusNotifierItem> item = it->second;
        lock.unlock();
        OnOwnerThread(item, [item, data] { item->Update(data); });
        return TRUE;
    }
    case NIM_DELETE: {
        if (it == items_.end()) return FALSE;
        std::shared_ptr<StatusNotifierItem> item = std::move(it->second);
        items_.erase(it);
        lock.unlock();
        // The last reference goes on the owner thread, which unwatches its fd.
        OnOwnerThread(item, [item]() mutable { item.reset(); });
        return TRUE;
    }
    default:
        QV_LOGE("unknown tray message %u", message);
        return FALSE;
    }
}

}  // namespace qv::desktop
