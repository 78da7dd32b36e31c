#pragma once
// Arrival and removal of hidraw nodes through a udev monitor, watched on a
// thread of its own. The callback runs on that thread and must not destroy
// the monitor; destroying the monitor stops and joins the thread.
#include <map>
#include <memory>
#include <string>
#include <thread>

#include "platform/hid/Hid.h"

struct udev;
struct udev_monitor;

namespace qv::hid {

class HidrawMonitor final : public IMonitor {
public:
    // Null when udev or the stop event is not available.
    static std::unique_ptr<HidrawMonitor> Start(PnpCallback callback);
    ~HidrawMonitor() override;

private:
    HidrawMonitor(PnpCallback callback, udev* context, udev_monitor* monitor, int stopFd);
    void RememberPresentNodes();
    void Run();
    void HandleEvent();

    PnpCallback m_callback;
    udev* m_udev;
    udev_monitor* m_monitor;
    int m_stopFd;
    // Node name -> path: a removed node's parent is gone, so its path is kept
    // from when it was seen.
    std::map<std::string, std::u16string> m_paths;
    std::thread m_thread;
};

}  // namespace qv::hid
