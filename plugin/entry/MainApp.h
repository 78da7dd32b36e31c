#pragma once
// The plug-in's client object: the host loads the plug-in, calls GetClient
// and drives it through IAppClient on the plug-in's UI thread. It starts the
// UI framework from the host's skin, creates the workspace, connects the card
// and runs the message loop until told to quit.
#include <atomic>
#include <cstdint>
#include <memory>

#include "appbase/AppBase.h"
#include "host/AppInterfaces.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SNotifyCenter.h"
#include "plugin/app/PluginApp.h"
#include "plugin/usage/BackstageInterface.h"
#include "plugin/windows/SwitchWindowMgr.h"
#include "plugin/workspace/WorkSpace.h"

class CMainHideWnd;
class ICommDeviceMgmt;

// Host windows of the plug-in carry this class name; the host looks for it.
inline constexpr const char16_t* kPluginHostWndClass = u"{217984E9-C0EC-44B9-BF57-0800EC42972D}";

class CMainApp final : public IAppClient, public CAppBase, public IPluginApp {
public:
    // pluginModule: the plug-in library's own module.
    CMainApp(IAppHost* host, HMODULE pluginModule);
    ~CMainApp() override;
    CMainApp(const CMainApp&) = delete;
    CMainApp& operator=(const CMainApp&) = delete;

    // The live client, from its creation to the end of Uninit (UI thread).
    static CMainApp* Current();

    // On failure everything it started is undone and the object deletes
    // itself: the host neither runs nor ends a client whose Init fails.
    BOOL Init() override;
    // Runs the loop on the hidden window, which opens the main window. After
    // the loop the windows go, and the host and the card session are let go
    // (once per run, whoever ends it).
    int Run(const char16_t* commandLine) override;
    void Uninit() override;
    void OnDevicePnp(int removed, const char16_t* path) override;
    ICommProtocol* GetProtocol() override;
    HMODULE GetInstance() override { return m_pluginModule; }
    std::uint32_t GetModelId() override;
    void Quit() override;

    // Lets the host go on without this client (its module loop wakes).
    void DetachFromHost();

    // IPluginApp
    CSwitchWindowMgr& SwitchWindows() override { return m_switchWindows; }
    CWorkSpace* GetWorkSpace() override { return m_workspace.get(); }
    ICommDeviceMgmt* GetDeviceMgmt() override { return m_manager; }
    int ConnectDevice() override;
    const std::u16string& ProgramFolder() const override { return HostFolder(); }
    int IsUploadBusy() const override { return m_uploadBusy; }
    void EndRun() override;

    // Set while the window that sends a sound to the card exists.
    void SetUploadBusy(int busy) { m_uploadBusy = busy; }
    qv::ui::SApplication* GetApplication() { return m_app.get(); }
    qv::ui::SNotifyCenter* GetNotifyCenter() { return m_notifyCenter.get(); }
    // The hidden window while Run runs, else null.
    CMainHideWnd* GetHideWnd() { return m_hideWnd.get(); }

private:
    BOOL InitSoui();
    // The skin's message box, edit menu and tool tip for the framework.
    void InstallTemplates();
    // Runs the start-up with a card connected at start.
    void StartWithConnectedCard();
    // Stops the receive thread's calls into the workspace and the notify
    // centre before they go.
    void DisconnectOwnDevice();
    // Framework objects in reverse order of creation.
    void ReleaseUi();
    // Detaches from the host and closes the card session, once per run.
    void LetGoOfHostAndCard();

    IAppHost* m_host;
    HMODULE m_hostModule = nullptr;
    ICommDeviceMgmt* m_manager = nullptr;
    std::unique_ptr<qv::ui::SApplication> m_app;
    std::unique_ptr<qv::ui::SNotifyCenter> m_notifyCenter;
    std::unique_ptr<CWorkSpace> m_workspace;
    // Posts the usage report on each session opening; its sends are stopped
    // and joined when it goes.
    std::unique_ptr<CBackstageInterface> m_backstage;
    CSwitchWindowMgr m_switchWindows;
    std::unique_ptr<CMainHideWnd> m_hideWnd;
    int m_uploadBusy = 0;
    bool m_loopRunning = false;
    bool m_hostAndCardReleased = false;
};
