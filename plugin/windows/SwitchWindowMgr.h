#pragma once
// Creates the main window on a timer of the hidden window and destroys the
// one it replaces. A switch is asked for with RequestSwitch; 300 ms later the
// timer's owner calls DoSwitch. Used on the plug-in's UI thread only.
#include <map>
#include <memory>

#include "plugin/windows/SwitchWindow.h"

// The timer the hidden window answers with DoSwitch, and its delay.
constexpr UINT_PTR kSwitchTimerId = 10001;
constexpr UINT kSwitchDelayMs = 300;
// The id of the main window, the only switch window.
constexpr int kMainSwitchWindowId = 0;

class CSwitchWindowMgr {
public:
    CSwitchWindowMgr() = default;
    ~CSwitchWindowMgr() { RemoveAll(); }
    CSwitchWindowMgr(const CSwitchWindowMgr&) = delete;
    CSwitchWindowMgr& operator=(const CSwitchWindowMgr&) = delete;

    // timerWindow receives WM_TIMER kSwitchTimerId.
    void Init(HMODULE module, qv::ui::SApplication* app, HWND timerWindow);

    // Takes ownership; refuses a null window and an id already present
    // (the first window is kept).
    BOOL AddWindow(int id, std::unique_ptr<ISwitchWindow> window);
    bool HasWindow(int id) const { return m_windows.count(id) != 0; }

    bool HasPendingSwitch() const { return m_requested != -1; }
    ISwitchWindow* GetCurrentWindow() const { return m_current; }

    // Asks for the main window: 0 when it is not registered or already
    // shows. Otherwise the request is kept and the timer (re)started; 1.
    BOOL RequestSwitch();
    // Destroys and releases the current window, then creates the requested
    // one; 1 when it was created.
    BOOL DoSwitch();
    // Deletes every window; a window that still exists is destroyed first.
    void RemoveAll();

private:
    std::map<int, std::unique_ptr<ISwitchWindow>> m_windows;
    ISwitchWindow* m_current = nullptr;
    int m_requested = -1;
    HMODULE m_module = nullptr;
    qv::ui::SApplication* m_app = nullptr;
    HWND m_timerWindow = nullptr;
};
