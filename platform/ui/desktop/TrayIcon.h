#pragma once
// The notification-area icon with Windows semantics: an icon is added,
// modified and deleted per (window, id); clicks reach the window as its
// callback message with wParam = id and lParam = the mouse message
// (WM_LBUTTONDOWN/WM_LBUTTONUP for a left click, WM_RBUTTONDOWN/WM_RBUTTONUP
// for a right click), on the thread that added the icon.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/os/Types.h"

namespace qv::desktop {

constexpr DWORD NIM_ADD = 0;
constexpr DWORD NIM_MODIFY = 1;
constexpr DWORD NIM_DELETE = 2;

constexpr UINT NIF_MESSAGE = 0x1;
constexpr UINT NIF_ICON = 0x2;
constexpr UINT NIF_TIP = 0x4;

constexpr std::size_t kMaxTrayTipLength = 127;

// Pixels as 0xAARRGGBB, not premultiplied, row by row.
struct TrayIconImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
};

struct NotifyIconData {
    HWND hwnd = nullptr;
    UINT id = 0;
    UINT flags = 0;  // NIF_*: which of the fields below count
    UINT callbackMessage = 0;
    std::vector<TrayIconImage> icon;  // the sizes it comes in
    std::u16string tip;  // cut to kMaxTrayTipLength characters
};

class ITrayService {
public:
    virtual ~ITrayService() = default;
    // NIM_ADD: FALSE when the icon exists already or no tray is there.
    // NIM_MODIFY, NIM_DELETE: FALSE when there is no such icon.
    virtual BOOL NotifyIcon(DWORD message, const NotifyIconData& data) = 0;
};

// The service in use: StatusNotifierItem over the session bus unless a test
// installed another.
ITrayService& TrayService();
// Installs a replacement (not owned); null restores the default.
void SetTrayService(ITrayService* service);

BOOL Shell_NotifyIcon(DWORD message, const NotifyIconData& data);

}  // namespace qv::desktop
