#include "plugin/entry/MainApp.h"

#include <unistd.h>

#include <exception>

#include "common/device/ICommDeviceMgmt.h"
#include "common/device/ICommunicateDevice.h"
#include "controls/PluginControls.h"
#include "families/ThisFamily.h"
#include "platform/os/Folders.h"
#include "platform/os/Log.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Path.h"
#include "platform/os/UserRegistry.h"
#include "platform/os/Utf.h"
#include "platform/ui/SMenu.h"
#include "platform/ui/SMessageBox.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SToolTipWnd.h"
#include "plugin/app/DamagedFileNotices.h"
#include "plugin/app/NamedIds.h"
#include "plugin/app/ResNames.h"
#include "plugin/device/DeviceIds.h"
#include "plugin/device/DevicePath.h"
#include "plugin/entry/PluginIdentity.h"
#include "plugin/windows/MainDlg.h"
#include "plugin/windows/MainHideWnd.h"
#include "plugin/workspace/AppPaths.h"
#include "plugin/workspace/SettingsStore.h"

namespace {

std::atomic<CMainApp*> g_current{nullptr};

// Text drawn for the first time loads the fonts. Done while the switch timer
// runs, it keeps that load out of the main window's first frame.
void WarmUpTextRendering() {
    qv::ui::SRenderTarget scratch(96, 20);
    qv::ui::CRect rc(0, 0, 96, 20);
    for (int size : {12, 14}) {
        scratch.SelectFont(qv::ui::SFont{.face = {}, .size = size, .bold = false});
        scratch.DrawText(u"Quorvel 音效 1.0", rc, 0);
    }
}

}  // namespace

CMainApp::CMainApp(IAppHost* host, HMODULE pluginModule) : m_host(host) {
    m_pluginModule = pluginModule;
    g_current.store(this);
    SetCurrentPluginApp(this);
    if (m_host) {
        m_hostModule = m_host->GetHostInstance();
        m_manager = m_host->GetDeviceMgmt();
    }
}

CMainApp::~CMainApp() {
    if (m_workspace) m_workspace->SetUsageReport(nullptr);
    m_backstage.reset();
    DisconnectOwnDevice();
    m_switchWindows.RemoveAll();
    m_hideWnd.reset();
    ReleaseUi();
    m_workspace.reset();
    m_pluginModule = nullptr;
    m_hostModule = nullptr;
    CMainApp* self = this;
    g_current.compare_exchange_strong(self, nullptr);
    if (CurrentPluginApp() == this) SetCurrentPluginApp(nullptr);
}

CMainApp* CMainApp::Current() { return g_current.load(); }

BOOL CMainApp::Init() {
    try {
        qv::controls::StartupGdiplus();
        LoadStateStore(AppDataFolder(), ThisFamily().stateFileName);
        if (!InitSoui()) {
            QV_LOGE("the UI framework could not be started");
            delete this;
            return 0;
        }
        GetSysInfo();
        m_workspace = std::make_unique<CWorkSpace>(m_manager, kPluginNormalProductId);
        // The parameters with the state file of store 0, before any session opens.
        m_workspace->AttachParamModel(ThisFamily(), *CSettingsStore::GetStore(0));
        const qv::os::UserRegistry registry;
        SetAsideIfDamaged(registry.File());
        m_backstage = std::make_unique<CBackstageInterface>(registry);
        m_workspace->SetUsageReport(m_backstage.get());
    } catch (const std::exception& e) {
        QV_LOGE("%s", e.what());
        delete this;
        return 0;
    }
    ConnectDevice();
    StartWithConnectedCard();
    return 1;
}

BOOL CMainApp::InitSoui() {
    // Relative paths of the skin and the components are the program's.
    const std::string hostFolder = qv::os::NativePath(HostFolder());
    if (!hostFolder.empty() && ::chdir(hostFolder.c_str()) != 0) {
        QV_LOGW("cannot change to the program folder %s", hostFolder.c_str());
    }

    m_app = std::make_unique<qv::ui::SApplication>(m_pluginModule, kPluginHostWndClass);
    if (qv::ui::SApplication::getSingletonPtr() != m_app.get()) {
        m_app.reset();
        return 0;
    }

    if (m_app->LoadComponent(u"log4z.dll")) {
        qv::ui::SLogManager& log = m_app->GetLogManager();
        log.CreateLogger("main");
        // The user's state folder: the program's own may be read-only once
        // installed.
        log.SetLogFolder(qv::os::NativePath(qv::os::UserStateFolder() + u"/Quorvel/log"));
        log.Start();
    }

    // Before any resource: the skins and layouts loaded next may use them.
    qv::controls::RegisterPluginControls(m_app->GetWindowFactory(), m_app->GetSkinFactory());

    // The host's skin, then the plug-in's own resources, which are searched
    // first.
    if (!m_app->AddResProvider(m_hostModule, res::uidef::XML_INIT) || !m_app->AddResProvider(m_pluginModule)) {
        QV_LOGE("初始化界面资源失败");
        qv::ui::SMessageBox(nullptr, u"初始化界面资源失败", u"ERROR", MB_OK);
        ReleaseUi();
        return 0;
    }
    m_app->SetNamedIds(kNamedIds, kNamedIdCount);
    m_notifyCenter = std::make_unique<qv::ui::SNotifyCenter>();

    if (m_app->LoadComponent(u"translator.dll") && !m_app->InstallLanguage(res::translator::lang_cn)) {
        QV_LOGW("language %s not installed", qv::os::Utf16ToUtf8(res::translator::lang_cn).c_str());
    }
    InstallTemplates();
    return 1;
}

void CMainApp::InstallTemplates() {
    pugi::xml_document msgbox;
    if (m_app->LoadXmlResource(msgbox, res::layout::XML_MSGBOX, u"LAYOUT")) qv::ui::SetMsgTemplate(msgbox.child("SOUI"));
    pugi::xml_document editMenu;
    if (m_app->LoadXmlResource(editMenu, res::smenu::XML_EDITMENU, u"SMENU")) {
        qv::ui::SetEditMenuTemplate(editMenu.child("editmenu"));
    }
    qv::ui::SetToolTipLayout(res::layout::XML_TOOLTIP);
}

void CMainApp::StartWithConnectedCard() {
    if (!m_manager || !m_manager->IsConnected()) return;
    ICommunicateDevice* device = m_manager->GetDevice();
    const char16_t* path = device ? device->GetDevicePath() : nullptr;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    if (!path || !ParseVidPid(path, vendorId, productId) || vendorId != kCardVendorId) return;
    if (productId == kPluginNormalProductId) {
        m_workspace->OpenSession();
    } else if (productId == kUpdateModeProductId) {
        m_workspace->SetNeedsUpgrade(1);
    }
}

int CMainApp::Run(const char16_t* /*commandLine*/) {
    m_hostAndCardReleased = false;
    int result = 0;
    m_hideWnd = std::make_unique<CMainHideWnd>();
    // Create sends WM_INITDIALOG, which shows the tray icon.
    if (m_app && m_hideWnd->Create(nullptr)) {
        m_hideWnd->ShowWindow(SW_HIDE);
        m_switchWindows.Init(m_pluginModule, m_app.get(), m_hideWnd->GetHwnd());
        if (!m_switchWindows.HasWindow(kMainSwitchWindowId)) {
            m_switchWindows.AddWindow(kMainSwitchWindowId, std::make_unique<CBaseSwitchWindow<CMainDlg>>());
        }
        m_switchWindows.RequestSwitch();
        WarmUpTextRendering();
        if (m_host) m_host->AttachClient(this);
        m_loopRunning = true;
        result = m_app->Run(m_hideWnd->GetHwnd());
        m_loopRunning = false;
        m_app->SetMainWnd(nullptr);
        // Destroys a main window that still exists.
        m_switchWindows.RemoveAll();
    } else {
        QV_LOGE("the hidden main window could not be created");
    }
    m_hideWnd.reset();  // its destruction removes the tray icon
    LetGoOfHostAndCard();
    return result;
}

void CMainApp::EndRun() {
    LetGoOfHostAndCard();
    if (m_loopRunning) qv::os::PostQuitMessage(0);
}

void CMainApp::LetGoOfHostAndCard() {
    if (m_hostAndCardReleased) return;
    m_hostAndCardReleased = true;
    DetachFromHost();
    if (m_workspace) m_workspace->CloseSession();
}

void CMainApp::Uninit() {
    qv::controls::ShutdownGdiplus();
    if (IsRestartRequested()) {
        // The new process must be able to take the single-instance guard.
        if (m_host) m_host->ReleaseInstanceGuard();
        StartProgramAgain();
    }
    delete this;
}

void CMainApp::OnDevicePnp(int removed, const char16_t* path) {
    if (m_workspace) m_workspace->OnDeviceArrival(removed, path);
}

ICommProtocol* CMainApp::GetProtocol() { return m_workspace ? m_workspace->AsProtocol() : nullptr; }

std::uint32_t CMainApp::GetModelId() { return kPluginModelId; }

void CMainApp::Quit() { qv::os::PostQuitMessage(0); }

int CMainApp::ConnectDevice() { return m_host ? m_host->ConnectDevice(this) : 0; }

void CMainApp::DetachFromHost() {
    if (m_host) m_host->DetachClient();
}

void CMainApp::DisconnectOwnDevice() {
    if (m_manager && m_workspace && m_workspace->Protocol().IsAttached()) m_manager->Disconnect();
}

void CMainApp::ReleaseUi() {
    // No tip or popup outlives the UI of this run.
    if (m_app) qv::controls::ClosePluginPopups();
    // The templates are the skin's, which goes with this run.
    qv::ui::SetMsgTemplate({});
    qv::ui::SetEditMenuTemplate({});
    m_notifyCenter.reset();
    m_app.reset();
}
