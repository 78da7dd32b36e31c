#include "host/HostEntry.h"

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>

#include "common/device/DeviceManager.h"
#include "host/EndRequest.h"
#include "host/HidDeviceSource.h"
#include "host/HostNotice.h"
#include "host/HostNames.h"
#include "host/ProfileModuleConfig.h"
#include "host/QuorvelApp.h"
#include "host/SystemPluginLoader.h"
#include "platform/hid/Hid.h"
#include "platform/os/ActivationChannel.h"
#include "platform/os/CrashHandler.h"
#include "platform/os/DamagedFile.h"
#include "platform/os/Folders.h"
#include "platform/os/InstanceLock.h"
#include "platform/os/Log.h"
#include "platform/os/Messages.h"
#include "platform/os/Tick.h"
#include "platform/os/Utf.h"

namespace {

// A short wait: the other process either answers at once or is not there.
constexpr DWORD kCloseToolTimeoutMs = 2000;

std::u16string AppDataFolderOrEmpty() {
    std::optional<std::u16string> folder = qv::os::MakeAppDataFolder(kAppDataName);
    if (folder) return *folder;
    QV_LOGE("no app-data folder: going on without modulecfg.ini");
    return {};
}

// How long a second start waits for the first to take the activation: the
// first may still be starting, its window not there yet.
constexpr std::uint64_t kActivationWaitMs = 2000;
constexpr DWORD kActivationRetryMs = 10;

// Sends the activation until the running instance takes it, it lets go of
// the lock (it is ending), the wait is over or this start is asked to end.
void ActivateRunningInstance(qv::os::InstanceLock& lock, const EndRequest& endRequest) {
    const std::uint64_t end = qv::os::NowMs() + kActivationWaitMs;
    while (!endRequest.Requested()) {
        if (qv::os::SendToWindowOfClass(kHiddenWindowClass, kActivateMessage, kActivateWParam, 0)) return;
        if (qv::os::NowMs() >= end) break;
        if (lock.Acquire() == qv::os::InstanceLock::Result::Acquired) {
            lock.Release();
            break;
        }
        qv::os::SleepMs(kActivationRetryMs);
    }
    QV_LOGW("no running window took the activation");
}

// A modulecfg.ini that cannot be read is set aside (the choice of plug-in
// falls back as for a missing file) and the user is told.
void SetAsideIfDamaged(const std::u16string& file) {
    if (file.empty()) return;
    if (const auto aside = qv::os::SetAsideIfDamaged(file))
        TellUser(qv::os::DamagedFileNotice(file, aside->renamedTo));
}

// Null when the manager (or its receive thread) cannot be made.
std::unique_ptr<ICommDeviceMgmt> MakeDeviceManager() {
    try {
        return std::make_unique<CDeviceManager>();
    } catch (const std::exception& error) {
        QV_LOGE("%s", error.what());
        return nullptr;
    }
}

}  // namespace

int HostMain(const std::u16string& commandLine) {
    // First: a signal during any box shown at the start ends it and the run.
    EndRequest endRequest;
    qv::os::InstanceLock singleInstance(kSingleInstanceName);
    switch (singleInstance.Acquire()) {
    case qv::os::InstanceLock::Result::Acquired:
        break;
    case qv::os::InstanceLock::Result::HeldElsewhere:
        // Another host runs: bring its window forward and leave.
        ActivateRunningInstance(singleInstance, endRequest);
        return 0;
    case qv::os::InstanceLock::Result::Unusable:
        // Not another instance: the lock cannot be trusted, so nothing starts.
        TellUser(u"程序没有启动：" + qv::os::Utf8ToUtf16(qv::os::EscapeControls(singleInstance.Problem())) +
                 u"。\n请把该文件夹改为只有当前用户可以访问（例如 chmod 700），然后再启动程序。");
        return kExitNoSafeLock;
    }
    (void)qv::os::SendToWindowOfClass(kFirmwareToolClass, WM_CLOSE, 0, 0, nullptr,
                                      kCloseToolTimeoutMs);
    qv::os::InstanceLock runLock(kRunLockName);
    if (!runLock.TryAcquire()) QV_LOGE("run lock not taken");

    const std::u16string appData = AppDataFolderOrEmpty();
    // Without an app-data folder dumps go to the temp folder.
    if (!qv::os::InstallCrashHandler(appData, u"")) QV_LOGE("crash handler not installed");

    std::unique_ptr<ICommDeviceMgmt> manager = MakeDeviceManager();
    if (!manager) {
        QV_LOGE("device manager could not be created");
        return -1;
    }

    HidDeviceSource deviceSource;
    SystemPluginLoader loader;
    ProfileModuleConfig moduleConfig(appData);
    SetAsideIfDamaged(moduleConfig.FilePath());
    if (endRequest.Requested()) return 0;
    CQuorvelApp::Services services;
    services.deviceSource = &deviceSource;
    services.loader = &loader;
    services.moduleConfig = &moduleConfig;
    services.startMonitor = [](qv::hid::PnpCallback callback) {
        return qv::hid::StartMonitor(std::move(callback));
    };
    // Only a plug-in that restarts the host lets go of the guard early; the
    // plug-in thread has ended before this function's locals go.
    services.releaseInstanceGuard = [&singleInstance] { singleInstance.Release(); };

    int result = 0;
    {
        CQuorvelApp app(std::move(services), qv::os::ExecutableFolder(), nullptr,
                        std::move(manager));
        // From here on a termination signal ends the program as a normal
        // close does: the plug-in closes its session and saves, the last
        // plug-in is recorded and the locks are released.
        endRequest.Attach(&app);
        result = app.RunModuleLoop(commandLine);
        endRequest.Attach(nullptr);
        // A signal before any plug-in started leaves the stored choice alone.
        if (app.CurrentPluginFile() || !app.IsEnding())
            moduleConfig.WriteLastPluginFile(app.CurrentPluginFile());
        if (!app.NotStartedReason().empty()) {
            const std::u16string file = app.CurrentPluginFile() ? app.CurrentPluginFile() : u"";
            TellUser(u"插件 " + file + u" 无法启动：" + qv::os::Utf8ToUtf16(app.NotStartedReason()) +
                     u"。\n请重新安装程序；详情见日志。");
        }
    }
    runLock.Release();
    return result;
}
