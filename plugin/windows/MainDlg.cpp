#include "plugin/windows/MainDlg.h"

#include <cstdint>

#include "common/device/ICommDeviceMgmt.h"
#include "controls/CInActiveCloseDlg.h"
#include "families/ThisFamily.h"
#include "platform/os/Log.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/IDisplayBackend.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SMenu.h"
#include "platform/ui/SMessageBox.h"
#include "plugin/app/AutoRun.h"
#include "plugin/app/DamagedFileNotices.h"
#include "plugin/app/PluginApp.h"
#include "plugin/app/Updater.h"
#include "plugin/app/UserManual.h"
#include "plugin/device/DeviceInfoText.h"
#include "plugin/dialogs/DlgDeviceInfo.h"
#include "plugin/windows/SwitchWindowMgr.h"
#include "plugin/workspace/SettingsStore.h"
#include "plugin/workspace/WorkSpace.h"

namespace {

constexpr const char16_t* kCaption = u"提示";

int Setting(int index) {
    const CSettingsStore* store = CSettingsStore::GetStore(0);
    return store ? store->GetInt(index) : 0;
}

qv::ui::SHostWnd* CurrentMainWindow() {
    qv::ui::SApplication* app = qv::ui::SApplication::getSingletonPtr();
    return app ? app->GetMainWnd() : nullptr;
}

}  // namespace

CMainDlg::CMainDlg() : CMainDlg(CreateMainDlgPages()) {}

CMainDlg::CMainDlg(MainDlgPages pages) : SHostWnd(ThisFamily().window.mainLayout), m_pages(std::move(pages)) {}

CMainDlg::~CMainDlg() {
    // The pages may still be asked about the window while it goes.
    if (IsWindow()) DestroyWindow();
    while (!m_pages.empty()) m_pages.pop_back();
}

BOOL CMainDlg::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    for (const auto& page : m_pages) {
        if (page->ProcessWindowMessage(hwnd, msg, wParam, lParam, result)) return TRUE;
    }
    result = 0;
    switch (msg) {
    case WM_DESTROY:
        OnDestroy();
        break;
    case WM_CLOSE:
        OnClose();
        return TRUE;
    case WM_INITDIALOG:
        result = OnInitDialog();
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id >= 1 && id <= kMainCmdClose) OnMenuCommand(id);
        return TRUE;
    }
    case WM_TIMER:
        if (wParam != kTopmostTimerId) break;
        OnTimer(wParam);
        return TRUE;
    default:
        break;
    }
    return SHostWnd::ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
}

BOOL CMainDlg::_HandleEvent(qv::ui::EventArgs* e) {
    for (const auto& page : m_pages) {
        if (page->_HandleEvent(e)) return TRUE;
    }
    if (e->GetID() != qv::ui::EVT_CMD) return FALSE;
    const qv::ui::SStringW& name = e->nameFrom;
    if (name == u"btn_close") {
        OnClose();
    } else if (name == u"btn_min") {
        SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
    } else if (name == u"btn_max") {
        SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE);
    } else if (name == u"btn_restore") {
        SendMessage(WM_SYSCOMMAND, SC_RESTORE);
    } else if (name == u"btn_menu") {
        ShowMainMenu();
    } else {
        return FALSE;
    }
    return TRUE;
}

BOOL CMainDlg::OnInitDialog() {
    // The window opens above all others; unless the user keeps it there, it
    // falls back to the normal order after a moment.
    SetTopMost(true);
    if (Setting(kSettingMainWinTopmost) == 0) SetTimer(kTopmostTimerId, kTopmostTimerMs);
    for (const auto& page : m_pages) page->Init(*this);
    // Typing goes to the value boxes only, never through an input method.
    EnableIme(false);
    // Files set aside at start are told of over the window, once it shows.
    qv::os::PostTask(qv::os::GetCurrentThreadId(), [hwnd = GetHwnd()] { TellAboutDamagedFiles(hwnd); });
    return 0;
}

void CMainDlg::OnTimer(UINT_PTR id) {
    KillTimer(id);
    SetTopMost(false);
}

void CMainDlg::OnClose() {
    ShowWindow(SW_HIDE);
    DestroyWindow();
}

void CMainDlg::OnDestroy() {
    IPluginApp* app = CurrentPluginApp();
    if (!app) return;
    CSwitchWindowMgr& switches = app->SwitchWindows();
    if (switches.GetCurrentWindow()) {
        if (qv::ui::SApplication* ui = qv::ui::SApplication::getSingletonPtr(); ui && ui->GetMainWnd() == this) {
            ui->SetMainWnd(nullptr);
        }
    }
    // Closed to the tray or for a switch, the program keeps its host and its
    // card session; the run's end lets go of both.
    if (!switches.HasPendingSwitch() && Setting(kSettingCloseBtnOperation) == 1) app->EndRun();
}

void CMainDlg::ShowMainMenu() {
    qv::ui::SMenu menu;
    if (!menu.LoadMenu(ThisFamily().window.mainMenu)) {
        QV_LOGE("main menu not found");
        return;
    }
    const qv::ui::CPoint at = qv::ui::GetDisplayBackend().GetCursorPos();
    menu.TrackPopupMenu(0, at.x, at.y + 5, GetHwnd(), 100);
}

void CMainDlg::OnMenuCommand(int id) {
    const FamilyWindowData& family = ThisFamily().window;
    IPluginApp* app = CurrentPluginApp();
    if (id == family.manualCommand) {
        if (app) OpenUserManual(app->ProgramFolder(), family.manualFile);
    } else if (id == family.aboutCommand) {
        ShowAbout();
    } else {
        switch (id) {
        case kMainCmdDeviceInfo:
            ShowDeviceInfo();
            break;
        case kMainCmdCheckUpdate:
            StartUpdater();
            break;
        case kMainCmdShow:
            if (qv::ui::SHostWnd* main = CurrentMainWindow()) main->ShowWindow(SW_SHOWNORMAL);
            break;
        case kMainCmdAutoRun:
            SetAutoRun(!IsAutoRun());
            break;
        case kMainCmdAboutDialog:
            // No menu sends it, and the skin has no such layout.
            QV_LOGE("LAYOUT:XML_ABOUT is not in the skin");
            break;
        case kMainCmdClose:
            if (qv::ui::SHostWnd* main = CurrentMainWindow()) main->PostMessage(WM_CLOSE);
            break;
        default:
            break;
        }
    }
}

void CMainDlg::ShowDeviceInfo() {
    IPluginApp* app = CurrentPluginApp();
    ICommDeviceMgmt* manager = app ? app->GetDeviceMgmt() : nullptr;
    if (!manager || !manager->IsConnected()) {
        qv::ui::SMessageBox(GetHwnd(), u"未连接设备！", kCaption, MB_OK);
        return;
    }
    std::uint8_t reply[64] = {};
    CWorkSpace* workspace = app->GetWorkSpace();
    const bool answered = workspace && workspace->Protocol().QueryFirmwareVersion(reply);
    const std::u16string text = DeviceInfoText(ThisFamily().window.productLine, answered ? reply : nullptr);
    // Owned by this window: it stays above it, and the window cannot be
    // closed while it shows.
    CDlgDeviceInfo box(text);
    if (GetHostStyle() & qv::ui::HostStyle_TopMost) box.SetTopMost(true);
    box.DoModal(GetHwnd());
}

void CMainDlg::StartUpdater() {
    IPluginApp* app = CurrentPluginApp();
    if (!app) return;
    qv::ui::SApplication* ui = qv::ui::SApplication::getSingletonPtr();
    const std::u16string version = ui ? ui->GetString(u"@string/ver").value_or(qv::ui::SStringW()).str() : u"";
    const UpdaterStart started = ::StartUpdater(app->ProgramFolder(), version);
    if (started == UpdaterStart::kMissing || started == UpdaterStart::kCopyFailed) {
        qv::ui::SMessageBox(GetHwnd(), u"更新程序文件upgrade.exe已经丢失！", kCaption, MB_OK);
    }
}

void CMainDlg::ShowAbout() { qv::controls::CInActiveCloseDlg::ShowPopup(ThisFamily().window.aboutLayout); }
