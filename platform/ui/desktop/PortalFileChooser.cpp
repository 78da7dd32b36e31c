#include "platform/ui/desktop/PortalFileChooser.h"

#include <systemd/sd-bus.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>

#include "platform/os/Log.h"
#include "platform/os/Utf.h"
#include "platform/ui/desktop/ModalWait.h"

namespace qv::desktop {
namespace {

constexpr const char* kPortal = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";
constexpr const char* kChooser = "org.freedesktop.portal.FileChooser";
constexpr const char* kRequest = "org.freedesktop.portal.Request";

std::atomic<unsigned> g_requestCounter{0};

struct Response {
    bool arrived = false;
    unsigned code = 2;
    std::string uri;
};

int AppendFilter(sd_bus_message* m, const FileFilter& filter) {
    int r = sd_bus_message_open_container(m, 'r', "sa(us)");
    if (r >= 0) r = sd_bus_message_append(m, "s", os::Utf16ToUtf8(filter.name).c_str());
    if (r >= 0) r = sd_bus_message_open_container(m, 'a', "(us)");
    for (const std::u16string& pattern : filter.patterns) {
        if (r >= 0) r = sd_bus_message_append(m, "(us)", 0u, os::Utf16ToUtf8(pattern).c_str());
    }
    if (r >= 0) r = sd_bus_message_close_container(m);
    if (r >= 0) r = sd_bus_message_close_container(m);
    return r;
}

int AppendBytes(sd_bus_message* m, const char* key, const std::string& text) {
    // Folders are byte strings with their terminating zero.
    int r = sd_bus_message_open_container(m, 'e', "sv");
    if (r >= 0) r = sd_bus_message_append(m, "s", key);
    if (r >= 0) r = sd_bus_message_open_container(m, 'v', "ay");
    if (r >= 0) r = sd_bus_message_append_array(m, 'y', text.c_str(), text.size() + 1);
    if (r >= 0) r = sd_bus_message_close_container(m);
    if (r >= 0) r = sd_bus_message_close_container(m);
    return r;
}

int AppendOptions(sd_bus_message* m, const FileDialogOptions& options, bool save, const std::string& token) {
    int r = sd_bus_message_open_container(m, 'a', "{sv}");
    if (r >= 0) r = sd_bus_message_append(m, "{sv}", "handle_token", "s", token.c_str());
    if (r >= 0) r = sd_bus_message_append(m, "{sv}", "modal", "b", 1);
    if (r >= 0 && !options.filters.empty()) {
        r = sd_bus_message_open_container(m, 'e', "sv");
        if (r >= 0) r = sd_bus_message_append(m, "s", "filters");
        if (r >= 0) r = sd_bus_message_open_container(m, 'v', "a(sa(us))");
        if (r >= 0) r = sd_bus_message_open_container(m, 'a', "(sa(us))");
        for (const FileFilter& filter : options.filters) {
            if (r >= 0) r = AppendFilter(m, filter);
        }
        for (int i = 0; i < 3 && r >= 0; ++i) r = sd_bus_message_close_container(m);
    }
    if (r >= 0 && save && !options.initialName.empty()) {
        r = sd_bus_message_append(m, "{sv}", "current_name", "s",
                                  os::Utf16ToUtf8(options.initialName).c_str());
    }
    if (r >= 0 && !options.initialFolder.empty()) {
        r = AppendBytes(m, "current_folder", os::Utf16ToUtf8(options.initialFolder));
    }
    if (r >= 0) r = sd_bus_message_close_container(m);
    return r;
}

// Reads (u response, a{sv} results) and keeps the first of results["uris"].
int OnResponse(sd_bus_message* m, void* userdata, sd_bus_error*) {
    auto* response = static_cast<Response*>(userdata);
    response->arrived = true;
    unsigned code = 2;
    if (sd_bus_message_read(m, "u", &code) < 0) return 0;
    response->code = code;
    if (sd_bus_message_enter_container(m, 'a', "{sv}") < 0) return 0;
    while (sd_bus_message_enter_container(m, 'e', "sv") > 0) {
        const char* key = nullptr;
        if (sd_bus_message_read(m, "s", &key) < 0) return 0;
        if (std::strcmp(key, "uris") == 0 && sd_bus_message_enter_container(m, 'v', "as") > 0) {
            char** uris = nullptr;
            if (sd_bus_message_read_strv(m, &uris) >= 0 && uris) {
                if (uris[0]) response->uri = uris[0];
                for (char** u = uris; *u; ++u) free(*u);
                free(uris);
            }
            sd_bus_message_exit_container(m);
        } else if (sd_bus_message_skip(m, "v") < 0) {
            return 0;
        }
        sd_bus_message_exit_container(m);
    }
    return 0;
}

struct BusDeleter {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};

}  // namespace

std::string FileUriToPath(std::string_view uri) {
    constexpr std::string_view kScheme = "file://";
    if (uri.substr(0, kScheme.size()) != kScheme) return {};
    uri.remove_prefix(kScheme.size());
    if (uri.empty() || uri.front() != '/') return {};  // a remote host
    std::string path;
    for (std::size_t i = 0; i < uri.size(); ++i) {
        auto hex = [](char c) -> int {
            if (c >= '0' && c <= '9') return c - '0';
            if (c >= 'a' && c <= 'f') return c - 'a' + 10;
            if (c >= 'A' && c <= 'F') return c - 'A' + 10;
            return -1;
        };
        if (uri[i] == '%' && i + 2 < uri.size() + 0 && hex(uri[i + 1]) >= 0 && hex(uri[i + 2]) >= 0) {
            path += static_cast<char>(hex(uri[i + 1]) * 16 + hex(uri[i + 2]));
            i += 2;
        } else {
            path += uri[i];
        }
    }
    return path;
}

FileChooserResult RunPortalFileChooser(const FileDialogOptions& options, bool save) {
    sd_bus* raw = nullptr;
    if (sd_bus_open_user(&raw) < 0) return {FileChooserResult::Unavailable, {}};
    std::unique_ptr<sd_bus, BusDeleter> bus(raw);

    const char* unique = nullptr;
    if (sd_bus_get_unique_name(bus.get(), &unique) < 0) return {FileChooserResult::Unavailable, {}};
    // The request object's path is known before the call, so its Response
    // cannot arrive before we listen for it.
    std::string sender = unique + 1;
    for (char& c : sender)
        if (c == '.') c = '_';
    const std::string token =
        "qv" + std::to_string(getpid()) + "_" + std::to_string(g_requestCounter.fetch_add(1));
    std::string handle = std::string(kPortalPath) + "/request/" + sender + "/" + token;

    Response response;
    sd_bus_slot* slot = nullptr;
    if (sd_bus_match_signal(bus.get(), &slot, nullptr, handle.c_str(), kRequest, "Response", OnResponse,
                            &response) < 0) {
        return {FileChooserResult::Unavailable, {}};
    }

    sd_bus_message* call = nullptr;
    int r = sd_bus_message_new_method_call(bus.get(), &call, kPortal, kPortalPath, kChooser,
                                           save ? "SaveFile" : "OpenFile");
    if (r >= 0) r = sd_bus_message_append(call, "ss", "", os::Utf16ToUtf8(options.title).c_str());
    if (r >= 0) r = AppendOptions(call, options, save, token);
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    if (r >= 0) r = sd_bus_call(bus.get(), call, 0, &error, &reply);
    sd_bus_message_unref(call);
    if (r < 0) {
        if (error.name) QV_LOGW("file chooser portal: %s", error.name);
        sd_bus_error_free(&error);
        sd_bus_slot_unref(slot);
        return {FileChooserResult::Unavailable, {}};
    }
    const char* actual = nullptr;
    if (sd_bus_message_read(reply, "o", &actual) >= 0 && actual && handle != actual) {
        // An older portal chose its own path: listen there instead.
        handle = actual;
        sd_bus_slot_unref(slot);
        slot = nullptr;
        sd_bus_match_signal(bus.get(), &slot, nullptr, handle.c_str(), kRequest, "Response", OnResponse,
                            &response);
    }
    sd_bus_message_unref(reply);

    auto drain = [&] {
        while (sd_bus_process(bus.get(), nullptr) > 0 && !response.arrived) {
        }
        return response.arrived;
    };
    bool answered = drain() || PumpUntil(sd_bus_get_fd(bus.get()), drain);
    if (!answered) {
        sd_bus_call_method(bus.get(), kPortal, handle.c_str(), kRequest, "Close", nullptr, nullptr, "");
    }
    sd_bus_slot_unref(slot);
    if (!answered || response.code != 0) return {FileChooserResult::Cancelled, {}};
    const std::string path = FileUriToPath(response.uri);
    if (path.empty()) {
        QV_LOGE("the file chooser answered with no local file: %s", response.uri.c_str());
        return {FileChooserResult::Cancelled, {}};
    }
    return {FileChooserResult::Chosen, os::Utf8ToUtf16(path)};
}

}  // namespace qv::desktop
