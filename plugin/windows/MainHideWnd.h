#pragma once
// The plug-in's invisible window: it lives for the whole run, carries the
// message loop, the tray icon and the receiver of the host's activation
// message, and opens the main window through the switch-window manager.
#include "platform/os/ActivationChannel.h"
#include "platform/ui/SHostWnd.h"
#include "plugin/windows/ShellNotifyIcon.h"

// The host's message to bring the running program forward; wParam 5 asks
// for the main window, any other value is ignored.
constexpr UINT kActivateInstanceMessage = 0x465;
constexpr WPARAM kActivateInstanceWParam = 5;

// The tray menu's commands.
enum TrayCommand : int {
    kTrayCmdShow = 7,
    kTrayCmdAutoRun = 8,
    kTrayCmdAbout = 9,
    kTrayCmdExit = 10,
};

class CMainHideWnd : public qv::ui::SHostWnd {
    QV_CLASS_NAME(CMainHideWnd, qv::ui::SHostWnd, u"MainHideWnd", qv::ui::kObjectWindow)

public:
    CMainHideWnd();
    ~CMainHideWnd() override;

    SShellNotifyIcon& TrayIcon() { return m_trayIcon; }

    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnInitDialog();
    void OnDestroy() override;
    // The host window's WM_TIMER; the panels' own timers keep the base's OnTimer.
    using qv::ui::SWindow::OnTimer;
    void OnTimer(UINT_PTR id);
    // index = menu id - kTrayCmdShow
    void OnCommand(int index);
    void OnTrayNotify(LPARAM mouseMessage);
    void ShowTrayMenu();
    // Brings the main window forward, or asks for one.
    void ShowMainWindow();
    void Exit();

    SShellNotifyIcon m_trayIcon;
    qv::os::ActivationReceiver m_activation;
};
