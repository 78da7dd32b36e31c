#include "platform/hid/HidrawMonitor.h"

#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/hid/HidrawBackend.h"
#include "platform/os/AltSignalStack.h"
#include "platform/os/Log.h"

namespace qv::hid {

std::unique_ptr<HidrawMonitor> HidrawMonitor::Start(PnpCallback callback) {
    udev* context = udev_new();
    if (!context) {
        QV_LOGE("udev_new failed");
        return nullptr;
    }
    udev_monitor* monitor = udev_monitor_new_from_netlink(context, "udev");
    if (!monitor || udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor) < 0) {
        QV_LOGE("udev monitor unavailable");
        if (monitor) udev_monitor_unref(monitor);
        udev_unref(context);
        return nullptr;
    }
    const int stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stopFd < 0) {
        udev_monitor_unref(monitor);
        udev_unref(context);
        return nullptr;
    }
    return std::unique_ptr<HidrawMonitor>(
        new HidrawMonitor(std::move(callback), context, monitor, stopFd));
}

HidrawMonitor::HidrawMonitor(PnpCallback callback, udev* context, udev_monitor* monitor,
                             int stopFd)
    : m_callback(std::move(callback)), m_udev(context), m_monitor(monitor), m_stopFd(stopFd) {
    RememberPresentNodes();
    m_thread = std::thread([this] { Run(); });
}

HidrawMonitor::~HidrawMonitor() {
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(m_stopFd, &one, sizeof one);
    if (m_thread.joinable()) m_thread.join();
    close(m_stopFd);
    udev_monitor_unref(m_monitor);
    udev_unref(m_udev);
}

void HidrawMonitor::RememberPresentNodes() {
    udev_enumerate* list = udev_enumerate_new(m_udev);
    if (!list) return;
    if (udev_enumerate_add_match_subsystem(list, "hidraw") >= 0 &&
        udev_enumerate_scan_devices(list) >= 0) {
        udev_list_entry* entry;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(list)) {
            udev_device* dev = udev_device_new_from_syspath(m_udev, udev_list_entry_get_name(entry));
            if (!dev) continue;
            if (auto info = HidrawDeviceInfo(dev)) m_paths[udev_device_get_sysname(dev)] = info->path;
            udev_device_unref(dev);
        }
    }
    udev_enumerate_unref(list);
}

void HidrawMonitor::Run() {
    const os::AltSignalStack altStack;
    pollfd fds[2] = {{m_stopFd, POLLIN, 0}, {udev_monitor_get_fd(m_monitor), POLLIN, 0}};
    for (;;) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            QV_LOGE("poll failed (errno %d)", errno);
            return;
        }
        if (fds[0].revents) return;
        if (fds[1].revents & POLLIN) HandleEvent();
    }
}

void HidrawMonitor::HandleEvent() {
    udev_device* dev = udev_monitor_receive_device(m_monitor);
    if (!dev) return;
    const char* action = udev_device_get_action(dev);
    const char* name = udev_device_get_sysname(dev);
    if (action && name) {
        if (std::strcmp(action, "add") == 0) {
            if (auto info = HidrawDeviceInfo(dev)) {
                m_paths[name] = info->path;
                if (m_callback) m_callback(false, info->path);
            }
        } else if (std::strcmp(action, "remove") == 0) {
            auto it = m_paths.find(name);
            if (it != m_paths.end()) {
                const std::u16string path = it->second;
                m_paths.erase(it);
                if (m_callback) m_callback(true, path);
            }
        }
    }
    udev_device_unref(dev);
}

}  // namespace qv::hid
