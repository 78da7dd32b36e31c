#pragma once
// Windows that the switch-window manager creates and destroys on a timer.
// Only the main window is one today; it is wrapped by CBaseSwitchWindow.
#include "platform/os/Messages.h"
#include "platform/os/Types.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SHostWnd.h"
#include "platform/ui/WinDefs.h"

class ISwitchWindow {
public:
    virtual ~ISwitchWindow() = default;
    virtual BOOL CanSwitch(HMODULE module, qv::ui::SApplication* app) = 0;
    // Creates and shows the window; its handle, or null when it failed.
    virtual HWND Create() = 0;
    virtual BOOL Destroy() = 0;
    // Deletes the window object.
    virtual void Release() = 0;
    virtual qv::ui::SHostWnd* GetHostWnd() = 0;
};

// Wraps a host window class T (default-constructible, built from its own
// layout) as the application's main window.
template <class T>
class CBaseSwitchWindow final : public ISwitchWindow {
public:
    CBaseSwitchWindow() = default;
    ~CBaseSwitchWindow() override {
        Destroy();
        Release();
    }
    CBaseSwitchWindow(const CBaseSwitchWindow&) = delete;
    CBaseSwitchWindow& operator=(const CBaseSwitchWindow&) = delete;

    BOOL CanSwitch(HMODULE, qv::ui::SApplication*) override { return TRUE; }

    // The window is the main window before it is created, so that its
    // initialisation (WM_INITDIALOG, sent by Create) already sees it as such.
    HWND Create() override {
        Release();
        m_wnd = new T();
        qv::ui::SApplication* app = qv::ui::SApplication::getSingletonPtr();
        if (app) app->SetMainWnd(m_wnd);
        HWND hwnd = m_wnd->Create(nullptr);
        if (!hwnd) {
            if (app && app->GetMainWnd() == m_wnd) app->SetMainWnd(nullptr);
            Release();
            return nullptr;
        }
        m_wnd->CenterWindow();
        m_wnd->ShowWindow(SW_SHOWNORMAL);
        return m_wnd->GetHwnd();
    }

    BOOL Destroy() override { return m_wnd && m_wnd->IsWindow() ? m_wnd->DestroyWindow() : FALSE; }

    void Release() override {
        delete m_wnd;
        m_wnd = nullptr;
    }

    qv::ui::SHostWnd* GetHostWnd() override { return m_wnd; }
    T* GetWindow() const { return m_wnd; }

private:
    T* m_wnd = nullptr;
};
