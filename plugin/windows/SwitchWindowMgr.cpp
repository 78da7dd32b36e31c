#include "plugin/windows/SwitchWindowMgr.h"

#include "platform/os/Log.h"
#include "platform/os/MessageQueue.h"

void CSwitchWindowMgr::Init(HMODULE module, qv::ui::SApplication* app, HWND timerWindow) {
    m_module = module;
    m_app = app;
    m_timerWindow = timerWindow;
    m_current = nullptr;
    m_requested = -1;
}

BOOL CSwitchWindowMgr::AddWindow(int id, std::unique_ptr<ISwitchWindow> window) {
    if (!window || m_windows.count(id)) return FALSE;
    m_windows.emplace(id, std::move(window));
    return TRUE;
}

BOOL CSwitchWindowMgr::RequestSwitch() {
    auto it = m_windows.find(kMainSwitchWindowId);
    if (it == m_windows.end()) return FALSE;
    // Already showing: no request is left behind, or a later close could
    // never end the program.
    if (m_current == it->second.get()) {
        qv::ui::SHostWnd* host = m_current->GetHostWnd();
        if (host && host->IsWindow()) return FALSE;
    }
    m_requested = kMainSwitchWindowId;
    if (m_current && m_app) m_app->SetMainWnd(nullptr);
    if (!qv::os::SetTimer(m_timerWindow, kSwitchTimerId, kSwitchDelayMs)) {
        QV_LOGE("switch timer not started");
    }
    return TRUE;
}

BOOL CSwitchWindowMgr::DoSwitch() {
    if (m_current) {
        m_current->Destroy();
        m_current->Release();
        m_current = nullptr;
    }
    if (m_requested == -1) return FALSE;
    auto it = m_windows.find(m_requested);
    m_requested = -1;
    if (it == m_windows.end()) return FALSE;
    m_current = it->second.get();
    m_current->CanSwitch(m_module, m_app);
    return m_current->Create() ? TRUE : FALSE;
}

void CSwitchWindowMgr::RemoveAll() {
    // A window's destruction may ask the manager whether a switch is pending.
    std::map<int, std::unique_ptr<ISwitchWindow>> windows;
    windows.swap(m_windows);
    m_current = nullptr;
    windows.clear();
}
