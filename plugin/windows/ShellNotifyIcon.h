#pragma once
// The plug-in's notification-area icon: one icon (id 100) of a window, whose
// clicks come back to that window as message kTrayCallbackMessage with the
// mouse message in lParam. Used on the window's thread.
#include <string>
#include <string_view>

#include "platform/ui/SBitmap.h"
#include "platform/ui/desktop/TrayIcon.h"

constexpr UINT kTrayIconId = 100;
constexpr UINT kTrayCallbackMessage = 2125;

class SShellNotifyIcon {
public:
    SShellNotifyIcon() = default;
    // Removes the icon when it is shown.
    virtual ~SShellNotifyIcon();
    SShellNotifyIcon(const SShellNotifyIcon&) = delete;
    SShellNotifyIcon& operator=(const SShellNotifyIcon&) = delete;

    // Fills the record; the icon is not shown yet. The tip is cut to 127
    // characters.
    void Create(HWND hwnd, const qv::ui::BitmapPtr& icon, std::u16string_view tip);
    // Adds the icon to the tray; 0 before Create or when no tray takes it.
    BOOL Show();
    // Removes it; 0 when it was not there.
    BOOL Hide();
    // Keep the new icon or tip and update a shown icon; 1 when not shown.
    BOOL SetIcon(const qv::ui::BitmapPtr& icon);
    BOOL SetTip(std::u16string_view tip);
    bool IsShown() const { return m_shown != 0; }

private:
    BOOL Modify();

    int m_shown = 0;
    bool m_created = false;
    qv::desktop::NotifyIconData m_data;
};
