#pragma once
// The firmware upgrade: a modal busy box that drives the whole upgrade from
// its own timers on the UI thread. It switches the card into update mode,
// waits for it to come back, writes the plug-in's image block by block,
// switches it back, waits again and reports the card's new version. The
// user cannot cancel it; it ends with OK on success and Cancel on any
// failure, each followed by one message box over the owner.
#include "platform/ui/SHostDialog.h"

class CWorkSpace;

class CDlgUpgradeFirmware : public qv::ui::SHostDialog {
    QV_CLASS_NAME(CDlgUpgradeFirmware, qv::ui::SHostDialog, u"DlgUpgradeFirmware", qv::ui::kObjectWindow)

public:
    enum TimerId : UINT_PTR {
        kTimerStart = 1,             // 1000 ms after opening
        kTimerWaitUpdateMode = 2,    // 3000 ms, then 2000 ms between retries
        kTimerWaitNormalMode = 3,    // the same after the image is written
    };
    static constexpr int kMaxWaitRetries = 11;
    static constexpr int kMaxSwitchBacks = 3;

    // owner: the main window, over which the message boxes appear.
    CDlgUpgradeFirmware(CWorkSpace* workspace, HWND owner);

    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL _HandleEvent(qv::ui::EventArgs* e) override;

private:
    // The host window's WM_TIMER; the panels' own timers keep the base's OnTimer.
    using qv::ui::SWindow::OnTimer;
    void OnTimer(UINT_PTR id);
    // Step 1: the image, the card's mode, and the switch into update mode.
    void Start();
    // Step 2: the card back in update mode.
    void WaitForUpdateMode();
    void WriteImage();
    // Step 3: the card back in normal mode, switched again while it is not.
    void WaitForNormalMode();
    void SwitchBack(const char* trace);
    void Finish();
    // Ends the dialog, then tells the user.
    void End(INT_PTR code, const qv::ui::SStringW& text, const char16_t* caption);
    void Fail(const char16_t* text, const char16_t* caption) { End(IDCANCEL, text, caption); }

    int m_started = 0;
    CWorkSpace* m_workspace;
    int m_waitCount = 0;
    int m_switchBackCount = 0;
    HWND m_owner;
};
