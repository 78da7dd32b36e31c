#pragma once
// The other side of the tray for tests on a private session bus: the tray
// host's watcher that items register with, and the host's calls to an item.
// Both talk to the bus of DBUS_SESSION_BUS_ADDRESS when constructed.
#include <systemd/sd-bus.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace qv::test {


// A tray host's watcher on the private bus: records the items that register.
class FakeWatcher {
public:
    FakeWatcher() {
        if (sd_bus_open_user(&bus_) < 0) return;
        static const sd_bus_vtable vtable[] = {
            SD_BUS_VTABLE_START(0),
            SD_BUS_METHOD("RegisterStatusNotifierItem", "s", "", OnRegister, SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_VTABLE_END,
        };
        sd_bus_add_object_vtable(bus_, nullptr, "/StatusNotifierWatcher", "org.kde.StatusNotifierWatcher",
                                 vtable, this);
        ok_ = sd_bus_request_name(bus_, "org.kde.StatusNotifierWatcher", 0) >= 0;
        thread_ = std::thread([this] {
            while (!stop_.load()) {
                if (sd_bus_process(bus_, nullptr) > 0) continue;
                sd_bus_wait(bus_, 20'000);
            }
        });
    }
    ~FakeWatcher() {
        stop_.store(true);
        if (thread_.joinable()) thread_.join();
        sd_bus_flush_close_unref(bus_);
    }
    bool Ok() const { return ok_; }
    std::vector<std::string> Items() {
        std::lock_guard<std::mutex> lock(mutex_);
        return items_;
    }

private:
    static int OnRegister(sd_bus_message* m, void* self, sd_bus_error*) {
        const char* name = nullptr;
        if (sd_bus_message_read(m, "s", &name) >= 0) {
            auto* watcher = static_cast<FakeWatcher*>(self);
            std::lock_guard<std::mutex> lock(watcher->mutex_);
            watcher->items_.push_back(name);
        }
        return sd_bus_reply_method_return(m, "");
    }

    sd_bus* bus_ = nullptr;
    bool ok_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::string> items_;
};

// A tray host's side of the conversation with an item.
class TrayHost {
public:
    TrayHost() { sd_bus_open_user(&bus_); }
    ~TrayHost() { sd_bus_flush_close_unref(bus_); }

    bool Call(const std::string& item, const char* method) {
        sd_bus_error error = SD_BUS_ERROR_NULL;
        const int r = sd_bus_call_method(bus_, item.c_str(), "/StatusNotifierItem", "org.kde.StatusNotifierItem",
                                         method, &error, nullptr, "ii", 10, 20);
        sd_bus_error_free(&error);
        return r >= 0;
    }
    std::string Text(const std::string& item, const char* property) {
        char* text = nullptr;
        sd_bus_get_property_string(bus_, item.c_str(), "/StatusNotifierItem", "org.kde.StatusNotifierItem",
                                   property, nullptr, &text);
        std::string result = text ? text : "<none>";
        std::free(text);
        return result;
    }
    // The pixmaps of IconPixmap as (width, height, bytes); nullopt when the
    // property cannot be read.
    using PixmapData = std::tuple<int, int, std::vector<std::uint8_t>>;
    std::optional<std::vector<PixmapData>> Pixmaps(const std::string& item) {
        sd_bus_message* reply = nullptr;
        if (sd_bus_get_property(bus_, item.c_str(), "/StatusNotifierItem", "org.kde.StatusNotifierItem",
                                "IconPixmap", nullptr, &reply, "a(iiay)") < 0) {
            return std::nullopt;
        }
        std::vector<PixmapData> result;
        int w = 0, h = 0;
        const void* data = nullptr;
        std::size_t size = 0;
        if (sd_bus_message_enter_container(reply, 'a', "(iiay)") >= 0) {
            while (sd_bus_message_enter_container(reply, 'r', "iiay") > 0 &&
                   sd_bus_message_read(reply, "ii", &w, &h) >= 0 &&
                   sd_bus_message_read_array(reply, 'y', &data, &size) >= 0 &&
                   sd_bus_message_exit_container(reply) >= 0) {
                const auto* bytes = static_cast<const std::uint8_t*>(data);
                result.emplace_back(w, h, std::vector<std::uint8_t>(bytes, bytes + size));
            }
        }
        sd_bus_message_unref(reply);
        return result;
    }
    bool HasOwner(const std::string& name) {
        int has = 0;
        sd_bus_message* reply = nullptr;
        if (sd_bus_call_method(bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                               "NameHasOwner", nullptr, &reply, "s", name.c_str()) >= 0) {
            sd_bus_message_read(reply, "b", &has);
        }
        sd_bus_message_unref(reply);
        return has != 0;
    }

private:
    sd_bus* bus_ = nullptr;
};

// Sets an environment variable for its lifetime.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) saved_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (saved_) {
            setenv(name_, saved_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> saved_;
};

}  // namespace qv::test
