#pragma once
// The host's application object: what a plug-in may call (IAppHost), what
// the notification window calls, and the module loop's view of the process.
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "host/AppInterfaces.h"
#include "host/DeviceConnector.h"
#include "host/DeviceNotifyWindow.h"
#include "host/DeviceUIThread.h"
#include "host/ModuleLoop.h"

class IDeviceSource;
class IModuleConfig;
class IPluginLibraryLoader;

class CQuorvelApp final : public IAppHost,
                          public IDevicePnpNotificationReceiver,
                          private IModuleLoopSeams,
                          private IPluginRunObserver {
public:
    struct Services {
        IDeviceSource* deviceSource = nullptr;
        IPluginLibraryLoader* loader = nullptr;
        IModuleConfig* moduleConfig = nullptr;
        DeviceNotifyWindow::MonitorStarter startMonitor;
        // Lets go of the single-instance guard; may be empty.
        std::function<void()> releaseInstanceGuard;
    };

    CQuorvelApp(Services services, std::u16string hostFolder, HMODULE hostInstance,
                std::unique_ptr<ICommDeviceMgmt> manager);
    ~CQuorvelApp() override;

    // Runs plug-ins until none is to run; the module loop's result.
    int RunModuleLoop(const std::u16string& commandLine);
    // The plug-in file started last, null when none was.
    const char16_t* CurrentPluginFile() const { return m_loop.CurrentPluginFile(); }
    // The last plug-in thread's result: 1 when no client ran.
    int LastPluginResult() const { return m_lastResult; }
    // Why the last plug-in run had no client (empty when it had one); read
    // once the module loop has returned.
    const std::string& NotStartedReason() const { return m_notStarted; }
    // Any thread: ends the program as the user's close does. The running
    // client is asked to quit on its own thread (a loop it runs before it
    // attaches ends), and no further plug-in starts, so the module loop
    // returns once the client has ended.
    void RequestEnd();
    bool IsEnding() const { return m_loop.IsEnding(); }

    // IAppHost, on the plug-in thread.
    void AttachClient(IAppClient* client) override;
    void DetachClient() override;
    HMODULE GetHostInstance() override { return m_hostInstance; }
    ICommDeviceMgmt* GetDeviceMgmt() override { return m_manager.get(); }
    int ConnectDevice(IAppClient* client) override;
    void ReleaseInstanceGuard() override;

    // IDevicePnpNotificationReceiver, on the plug-in thread.
    void OnPnpNotification(int removed, const char16_t* path) override;

private:
    // IModuleLoopSeams, on the main thread.
    std::u16string ReadLastPluginFile() override;
    bool IsCardPresent(const DeviceRow& row) override;
    bool StartPluginThread(const std::u16string& commandLine, const char16_t* pluginFile) override;

    // IPluginRunObserver, on the plug-in thread.
    void OnPluginRunStarting() override;
    void OnClientDone() override;
    void OnPluginRunEnded(int result) override;

    void EndPluginThread();
    // Plug-in thread: the client's Quit, at most once per run.
    void QuitClientOnce();
    // Plug-in thread: ends the run on an end request.
    void EndPluginRun();

    Services m_services;
    const std::u16string m_hostFolder;
    const HMODULE m_hostInstance;
    std::unique_ptr<ICommDeviceMgmt> m_manager;
    ModuleLoop m_loop;
    DeviceConnector m_connector;
    DeviceNotifyWindow m_notifyWindow;
    std::unique_ptr<CDeviceUIThread> m_thread;
    int m_lastResult = 1;
    std::string m_notStarted;

    // Plug-in thread only.
    IAppClient* m_client = nullptr;
    bool m_detached = false;
    bool m_quitSent = false;

    // The running plug-in thread's queue; 0 between runs.
    std::atomic<DWORD> m_pluginThread{0};

    std::mutex m_guardMutex;
};
