#pragma once
// The visible main window: built from the family's layout, it holds the
// pages and routes messages and events to them, and itself answers the
// caption buttons, the main menu, the topmost state at opening and the
// close rule. The switch-window manager creates, shows and deletes it.
#include <string>

#include "platform/ui/SHostWnd.h"
#include "plugin/windows/MainDlgPage.h"

// Timer that ends the topmost state the window opens with.
constexpr UINT_PTR kTopmostTimerId = 1007;
constexpr UINT kTopmostTimerMs = 500;

// The main menu's commands (the family may swap manual and about).
enum MainMenuCommand : int {
    kMainCmdDeviceInfo = 1,
    kMainCmdCheckUpdate = 2,
    kMainCmdShow = 7,
    kMainCmdAutoRun = 8,
    kMainCmdAboutDialog = 9,
    kMainCmdClose = 10,
};

class CMainDlg : public qv::ui::SHostWnd {
    QV_CLASS_NAME(CMainDlg, qv::ui::SHostWnd, u"MainDlg", qv::ui::kObjectWindow)

public:
    // With this build's pages.
    CMainDlg();
    explicit CMainDlg(MainDlgPages pages);
    // The pages go in reverse order, before the window.
    ~CMainDlg() override;

    const MainDlgPages& Pages() const { return m_pages; }

    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL _HandleEvent(qv::ui::EventArgs* e) override;

private:
    BOOL OnInitDialog();
    // The host window's WM_TIMER; the panels' own timers keep the base's OnTimer.
    using qv::ui::SWindow::OnTimer;
    void OnTimer(UINT_PTR id);
    // Hides, then destroys the window; OnDestroy decides whether the run ends.
    void OnClose();
    void OnDestroy() override;
    void ShowMainMenu();
    void OnMenuCommand(int id);
    void ShowDeviceInfo();
    void StartUpdater();
    void ShowAbout();

    MainDlgPages m_pages;
};
