#include "plugin/windows/MainHideWnd.h"

#include "controls/CInActiveCloseDlg.h"
#include "families/ThisFamily.h"
#include "platform/os/Log.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/IDisplayBackend.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SMenu.h"
#include "platform/ui/SMessageBox.h"
#include "plugin/app/AutoRun.h"
#include "plugin/app/PluginApp.h"
#include "plugin/app/ResNames.h"
#include "plugin/windows/SwitchWindowMgr.h"

namespace {

qv::ui::SHostWnd* MainWindow() {
    qv::ui::SApplication* app = qv::ui::SApplication::getSingletonPtr();
    return app ? app->GetMainWnd() : nullptr;
}

void RequestMainWindow() {
    if (IPluginApp* app = CurrentPluginApp()) app->SwitchWindows().RequestSwitch();
}

}  // namespace

CMainHideWnd::CMainHideWnd() : SHostWnd(res::layout::XML_MAINHIDEWND) {}

CMainHideWnd::~CMainHideWnd() {
    if (IsWindow()) DestroyWindow();
}

BOOL CMainHideWnd::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (msg) {
    case WM_CREATE:
        return TRUE;
    case WM_INITDIALOG:
        OnInitDialog();
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id < kTrayCmdShow || id > kTrayCmdExit) break;
        OnCommand(id - kTrayCmdShow);
        return TRUE;
    }
    case WM_DESTROY:
        OnDestroy();
        break;
    case WM_TIMER:
        if (wParam != kSwitchTimerId) break;
        OnTimer(wParam);
        return TRUE;
    case kTrayCallbackMessage:
        OnTrayNotify(lParam);
        return TRUE;
    case kActivateInstanceMessage:
        if (wParam == kActivateInstanceWParam) ShowMainWindow();
        return TRUE;
    default:
        break;
    }
    return SHostWnd::ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
}

void CMainHideWnd::OnInitDialog() {
    qv::ui::SApplication* app = qv::ui::SApplication::getSingletonPtr();
    if (!app) return;
    m_trayIcon.Create(GetHwnd(), app->LoadIcon(u"ICON_LOGO", 16), app->TranslateText(u"Quorvel").str());
    if (!m_trayIcon.Show()) QV_LOGW("no tray icon: the desktop has no tray");
    // A second start of the program sends its activation to the class of
    // the plug-in's windows.
    if (!m_activation.Open(app->GetHostClassName().str(), GetHwnd())) QV_LOGW("no activation receiver");
}

void CMainHideWnd::OnDestroy() {
    m_activation.Close();
    if (m_trayIcon.IsShown()) m_trayIcon.Hide();
}

void CMainHideWnd::OnTimer(UINT_PTR id) {
    KillTimer(id);
    if (IPluginApp* app = CurrentPluginApp()) app->SwitchWindows().DoSwitch();
}

void CMainHideWnd::OnCommand(int index) {
    switch (index + kTrayCmdShow) {
    case kTrayCmdShow:
        ShowMainWindow();
        break;
    case kTrayCmdAutoRun:
        SetAutoRun(!IsAutoRun());
        break;
    case kTrayCmdAbout:
        qv::controls::CInActiveCloseDlg::ShowPopup(ThisFamily().window.aboutLayout);
        break;
    case kTrayCmdExit:
        Exit();
        break;
    default:
        break;
    }
}

void CMainHideWnd::OnTrayNotify(LPARAM mouseMessage) {
    if (mouseMessage == WM_LBUTTONDOWN) {
        qv::ui::SHostWnd* main = MainWindow();
        if (!main) {
            RequestMainWindow();
        } else if (main->IsWindowVisible() && !main->IsIconic()) {
            main->ShowWindow(SW_HIDE);
        } else {
            main->SetForegroundWindow();
            main->ShowWindow(SW_SHOWNORMAL);
        }
    } else if (mouseMessage == WM_RBUTTONUP) {
        ShowTrayMenu();
    }
}

void CMainHideWnd::ShowTrayMenu() {
    qv::ui::SMenu menu;
    if (!menu.LoadMenu(res::smenu::menu_tray)) {
        QV_LOGE("tray menu not found");
        return;
    }
    if (menu.HasItem(kTrayCmdAutoRun)) menu.CheckMenuItem(kTrayCmdAutoRun, IsAutoRun() != 0);
    SetForegroundWindow();
    const qv::ui::CPoint at = qv::ui::GetDisplayBackend().GetCursorPos();
    menu.TrackPopupMenu(0, at.x, at.y, GetHwnd(), 100);
}

void CMainHideWnd::ShowMainWindow() {
    if (qv::ui::SHostWnd* main = MainWindow()) {
        main->SetForegroundWindow();
        main->ShowWindow(SW_SHOWNORMAL);
    } else {
        RequestMainWindow();
    }
}

void CMainHideWnd::Exit() {
    IPluginApp* app = CurrentPluginApp();
    if (app && app->IsUploadBusy()) {
        qv::ui::SHostWnd* main = MainWindow();
        qv::ui::SMessageBox(main ? main->GetHwnd() : nullptr, u"正在载入特效，暂时不能退出软件", u"提示", MB_OK);
        return;
    }
    // The loop's end destroys the main window, after any box or menu of it
    // has returned.
    qv::os::PostQuitMessage(0);
}
