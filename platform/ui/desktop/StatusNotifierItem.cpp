#include "platform/ui/desktop/StatusNotifierItem.h"

#include <systemd/sd-bus.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <string>

#include "platform/os/Log.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Utf.h"
#include "platform/ui/WinDefs.h"

namespace qv::desktop {
namespace {

constexpr const char* kItemPath = "/StatusNotifierItem";
constexpr const char* kItemInterface = "org.kde.StatusNotifierItem";
constexpr const char* kWatcher = "org.kde.StatusNotifierWatcher";
constexpr const char* kWatcherPath = "/StatusNotifierWatcher";
constexpr std::uint64_t kWatcherTimeoutUs = 5'000'000;

std::atomic<unsigned> g_itemCounter{0};

}  // namespace

struct ItemCallbacks {
    static int OnActivate(sd_bus_message* m, void* self, sd_bus_error*) {
        static_cast<StatusNotifierItem*>(self)->Click(WM_LBUTTONDOWN, WM_LBUTTONUP);
        return sd_bus_reply_method_return(m, "");
    }

    static int OnContextMenu(sd_bus_message* m, void* self, sd_bus_error*) {
        static_cast<StatusNotifierItem*>(self)->Click(WM_RBUTTONDOWN, WM_RBUTTONUP);
        return sd_bus_reply_method_return(m, "");
    }

    static int OnIgnored(sd_bus_message* m, void*, sd_bus_error*) {
        return sd_bus_reply_method_return(m, "");
    }

    static int GetText(sd_bus*, const char*, const char*, const char* property,
                       sd_bus_message* reply, void* self, sd_bus_error*) {
        const auto* item = static_cast<const StatusNotifierItem*>(self);
        const char* text = "";
        if (std::strcmp(property, "Category") == 0) {
            text = "ApplicationStatus";
        } else if (std::strcmp(property, "Id") == 0) {
            text = program_invocation_short_name;
        } else if (std::strcmp(property, "Title") == 0) {
            text = item->tip_.c_str();
        } else if (std::strcmp(property, "Status") == 0) {
            text = "Active";
        }
        return sd_bus_message_append(reply, "s", text);
    }

    static int GetBool(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply,
                       void*, sd_bus_error*) {
        return sd_bus_message_append(reply, "b", 0);  // ItemIsMenu: clicks are ours
    }

    static int GetInt(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply,
                      void*, sd_bus_error*) {
        return sd_bus_message_append(reply, "i", 0);
    }

    static int GetPixmap(sd_bus*, const char*, const char*, const char* property,
                         sd_bus_message* reply, void* self, sd_bus_error*) {
        const auto* item = static_cast<const StatusNotifierItem*>(self);
        int r = sd_bus_message_open_container(reply, 'a', "(iiay)");
        const bool icon = std::strcmp(property, "IconPixmap") == 0;
        for (std::size_t i = 0; icon && r >= 0 && i < item->icon_.size(); ++i) {
            const TrayIconImage& image = item->icon_[i];
            // ARGB32 in network byte order.
            std::string bytes;
            bytes.reserve(image.argb.size() * 4);
            for (std::uint32_t p : image.argb) {
                for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>((p >> shift) & 0xFF);
            }
            r = sd_bus_message_open_container(reply, 'r', "iiay");
            if (r >= 0) r = sd_bus_message_append(reply, "ii", image.width, image.height);
            if (r >= 0) r = sd_bus_message_append_array(reply, 'y', bytes.data(), bytes.size());
            if (r >= 0) r = sd_bus_message_close_container(reply);
        }
        if (r >= 0) r = sd_bus_message_close_container(reply);
        return r;
    }

    static int GetToolTip(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply,
                          void* self, sd_bus_error*) {
        const auto* item = static_cast<const StatusNotifierItem*>(self);
        int r = sd_bus_message_open_container(reply, 'r', "sa(iiay)ss");
        if (r >= 0) r = sd_bus_message_append(reply, "s", "");
        if (r >= 0) r = sd_bus_message_open_container(reply, 'a', "(iiay)");
        if (r >= 0) r = sd_bus_message_close_container(reply);
        if (r >= 0) r = sd_bus_message_append(reply, "ss", item->tip_.c_str(), "");
        if (r >= 0) r = sd_bus_message_close_container(reply);
        return r;
    }
};

// Properties a tray host reads; the texts that never change are answered by
// name in GetText.
static const sd_bus_vtable kItemVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_PROPERTY("Category", "s", ItemCallbacks::GetText, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("Id", "s", ItemCallbacks::GetText, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("Title", "s", ItemCallbacks::GetText, 0, 0),
    SD_BUS_PROPERTY("Status", "s", ItemCallbacks::GetText, 0, 0),
    SD_BUS_PROPERTY("WindowId", "i", ItemCallbacks::GetInt, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("IconName", "s", ItemCallbacks::GetText, 0, 0),
    SD_BUS_PROPERTY("IconPixmap", "a(iiay)", ItemCallbacks::GetPixmap, 0, 0),
    SD_BUS_PROPERTY("OverlayIconName", "s", ItemCallbacks::GetText, 0, 0),
    SD_BUS_PROPERTY("OverlayIconPixmap", "a(iiay)", ItemCallbacks::GetPixmap, 0, 0),
    SD_BUS_PROPERTY("AttentionIconName", "s", ItemCallbacks::GetText, 0, 0),
    SD_BUS_PROPERTY("AttentionIconPixmap", "a(iiay)", ItemCallbacks::GetPixmap, 0, 0),
    SD_BUS_PROPERTY("AttentionMovieName", "s", ItemCallbacks::GetText, 0, 0),
    SD_BUS_PROPERTY("ToolTip", "(sa(iiay)ss)", ItemCallbacks::GetToolTip, 0, 0),
    SD_BUS_PROPERTY("ItemIsMenu", "b", ItemCallbacks::GetBool, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_METHOD("Activate", "ii", "", ItemCallbacks::OnActivate, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("SecondaryActivate", "ii", "", ItemCallbacks::OnIgnored, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("ContextMenu", "ii", "", ItemCallbacks::OnContextMenu, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Scroll", "is", "", ItemCallbacks::OnIgnored, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_SIGNAL("NewTitle", "", 0),
    SD_BUS_SIGNAL("NewIcon", "", 0),
    SD_BUS_SIGNAL("NewAttentionIcon", "", 0),
    SD_BUS_SIGNAL("NewOverlayIcon", "", 0),
    SD_BUS_SIGNAL("NewToolTip", "", 0),
    SD_BUS_SIGNAL("NewStatus", "s", 0),
    SD_BUS_VTABLE_END,
};

std::unique_ptr<StatusNotifierItem> StatusNotifierItem::Create(const NotifyIconData& data) {
    std::unique_ptr<StatusNotifierItem> item(new StatusNotifierItem);
    item->Store(data);
    if (sd_bus_open_user(&item->bus_) < 0) {
        item->bus_ = nullptr;
        QV_LOGW("no session bus: the tray icon is not shown");
        return nullptr;
    }
    item->busName_ = "org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-" +
                     std::to_string(g_itemCounter.fetch_add(1) + 1);
    if (sd_bus_request_name(item->bus_, item->busName_.c_str(), 0) < 0 ||
        sd_bus_add_object_vtable(item->bus_, &item->vtableSlot_, kItemPath, kItemInterface, kItemVtable,
                                 item.get()) < 0) {
        QV_LOGE("cannot publish the tray icon on the session bus");
        return nullptr;
    }

    sd_bus_message* call = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    int r = sd_bus_message_new_method_call(item->bus_, &call, kWatcher, kWatcherPath, kWatcher,
                                           "RegisterStatusNotifierItem");
    if (r >= 0) r = sd_bus_message_append(call, "s", item->busName_.c_str());
    if (r >= 0) r = sd_bus_call(item->bus_, call, kWatcherTimeoutUs, &error, nullptr);
    sd_bus_message_unref(call);
    if (r < 0) {
        QV_LOGW("no tray on this desktop (%s): the tray icon is not shown",
                error.name ? error.name : "no StatusNotifierWatcher");
        sd_bus_error_free(&error);
        return nullptr;
    }

    item->ownerThread_ = os::GetCurrentThreadId();
    item->fd_ = sd_bus_get_fd(item->bus_);
    StatusNotifierItem* self = item.get();
    os::WatchFd(item->fd_, os::kFdRead, [self](int, unsigned) { self->Process(); });
    item->Process();  // requests read while waiting for the watcher
    return item;
}

StatusNotifierItem::~StatusNotifierItem() {
    if (fd_ >= 0 && os::GetCurrentThreadId() == ownerThread_) os::UnwatchFd(fd_);
    sd_bus_slot_unref(vtableSlot_);
    // Closing the connection drops the bus name; the watcher sees the item go.
    if (bus_) sd_bus_flush_close_unref(bus_);
}

void StatusNotifierItem::Store(const NotifyIconData& data) {
    hwnd_ = data.hwnd;
    id_ = data.id;
    if (data.flags & NIF_MESSAGE) {
        callbackMessage_ = data.callbackMessage;
        hasCallback_ = true;
    }
    if (data.flags & NIF_ICON) {
        icon_.clear();
        for (const TrayIconImage& image : data.icon) {
            const std::size_t pixels = static_cast<std::size_t>(std::max(image.width, 0)) *
                                       static_cast<std::size_t>(std::max(image.height, 0));
            if (image.argb.size() == pixels && pixels != 0) icon_.push_back(image);  // malformed sizes are left out
        }
    }
    if (data.flags & NIF_TIP) {
        tip_ = os::Utf16ToUtf8(std::u16string_view(data.tip).substr(0, kMaxTrayTipLength));
    }
}

void StatusNotifierItem::Update(const NotifyIconData& data) {
    Store(data);
    if (data.flags & NIF_ICON) sd_bus_emit_signal(bus_, kItemPath, kItemInterface, "NewIcon", "");
    if (data.flags & NIF_TIP) {
        sd_bus_emit_signal(bus_, kItemPath, kItemInterface, "NewTitle", "");
        sd_bus_emit_signal(bus_, kItemPath, kItemInterface, "NewToolTip", "");
    }
    sd_bus_flush(bus_);
}

void StatusNotifierItem::Process() {
    while (sd_bus_process(bus_, nullptr) > 0) {
    }
}

void StatusNotifierItem::Click(UINT down, UINT up) {
    if (!hasCallback_) return;
    os::PostMessage(hwnd_, callbackMessage_, id_, down);
    os::PostMessage(hwnd_, callbackMessage_, id_, up);
}

}  // namespace qv::desktop
