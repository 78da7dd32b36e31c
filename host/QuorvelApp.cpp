#include "host/QuorvelApp.h"

#include "common/device/ICommDeviceMgmt.h"
#include "host/DeviceSource.h"
#include "host/LivePluginThreads.h"
#include "host/ModuleConfig.h"
#include "platform/os/MessageQueue.h"

CQuorvelApp::CQuorvelApp(Services services, std::u16string hostFolder, HMODULE hostInstance,
                         std::unique_ptr<ICommDeviceMgmt> manager)
    : m_services(std::move(services)),
      m_hostFolder(std::move(hostFolder)),
      m_hostInstance(hostInstance),
      m_manager(std::move(manager)),
      m_loop(*this, LivePluginThreads()),
      m_connector(*m_services.deviceSource, m_manager.get(),
                  [this](const DeviceRow& row) { m_loop.RequestSwitch(row); }),
      m_notifyWindow(m_services.startMonitor) {}

CQuorvelApp::~CQuorvelApp() { EndPluginThread(); }

int CQuorvelApp::RunModuleLoop(const std::u16string& commandLine) {
    const int result = m_loop.Run(commandLine);
    EndPluginThread();
    return result;
}

void CQuorvelApp::EndPluginThread() {
    // Joins the thread; its body has ended once the live count was 0.
    m_thread.reset();
}

void CQuorvelApp::RequestEnd() {
    m_loop.RequestEnd();
    // Posted after the loop was told: a client that attaches later sees the
    // end request itself.
    if (const DWORD thread = m_pluginThread.load()) qv::os::PostTask(thread, [this] { EndPluginRun(); });
}

void CQuorvelApp::EndPluginRun() {
    if (m_client) {
        QuitClientOnce();
        return;
    }
    // Not attached yet: a box the plug-in shows meanwhile ends, and the
    // client, attaching later, sees the end request itself.
    qv::os::PostQuitMessage(0);
}

void CQuorvelApp::QuitClientOnce() {
    if (!m_client || m_quitSent) return;
    m_quitSent = true;
    m_client->Quit();
}

void CQuorvelApp::AttachClient(IAppClient* client) {
    m_client = client;
    m_notifyWindow.Create(this);
    if (m_loop.IsEnding()) QuitClientOnce();
}

void CQuorvelApp::DetachClient() {
    // One wake per run: a second call must not wake the loop for the next
    // plug-in.
    if (m_detached) return;
    m_detached = true;
    m_notifyWindow.Destroy();
    m_client = nullptr;
    m_loop.Wake();
}

int CQuorvelApp::ConnectDevice(IAppClient* client) { return m_connector.ConnectDevice(client); }

void CQuorvelApp::ReleaseInstanceGuard() {
    std::lock_guard<std::mutex> guard(m_guardMutex);
    if (!m_services.releaseInstanceGuard) return;
    m_services.releaseInstanceGuard();
    m_services.releaseInstanceGuard = nullptr;
}

void CQuorvelApp::OnPnpNotification(int removed, const char16_t* path) {
    if (!m_client) return;
    m_connector.OnPnpNotification(m_client, removed, path);
}

std::u16string CQuorvelApp::ReadLastPluginFile() {
    return m_services.moduleConfig ? m_services.moduleConfig->ReadLastPluginFile() : u"";
}

bool CQuorvelApp::IsCardPresent(const DeviceRow& row) {
    return !m_services.deviceSource->FindCards(row, 1).empty();
}

bool CQuorvelApp::StartPluginThread(const std::u16string& commandLine,
                                    const char16_t* pluginFile) {
    // No plug-in thread lives now: the previous object is only joined here.
    EndPluginThread();
    IPluginRunObserver& observer = *this;
    m_thread = std::make_unique<CDeviceUIThread>(commandLine, m_hostFolder, pluginFile, this,
                                                 *m_services.loader, observer);
    return m_thread->Start() == 1;
}

void CQuorvelApp::OnPluginRunStarting() {
    m_detached = false;
    m_quitSent = false;
    m_client = nullptr;
    m_pluginThread.store(qv::os::GetCurrentThreadId());
    // An end requested before the thread was known was not posted to it.
    if (m_loop.IsEnding()) qv::os::PostQuitMessage(0);
}

void CQuorvelApp::OnClientDone() {
    // The protocol object goes with the client: a card the plug-in left
    // connected must not keep reporting to it.
    if (m_manager && m_manager->GetDevice()) m_manager->Disconnect();
}

void CQuorvelApp::OnPluginRunEnded(int result) {
    m_pluginThread.store(0);
    m_lastResult = result;
    m_notStarted = m_thread ? m_thread->NotStartedReason() : std::string();
    if (!m_detached) {
        m_notifyWindow.Destroy();
        m_client = nullptr;
        m_detached = true;
        m_loop.Wake();
    }
}
