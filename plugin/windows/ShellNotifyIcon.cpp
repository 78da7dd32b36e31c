#include "plugin/windows/ShellNotifyIcon.h"

namespace {

qv::desktop::TrayIconImage ToTrayImage(const qv::ui::BitmapPtr& bitmap) {
    qv::desktop::TrayIconImage image;
    if (!bitmap) return image;
    image.width = bitmap->Width();
    image.height = bitmap->Height();
    image.argb.reserve(static_cast<std::size_t>(image.width) * image.height);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) image.argb.push_back(qv::ui::ToArgb(bitmap->GetPixel(x, y)));
    }
    return image;
}

std::u16string CutTip(std::u16string_view tip) {
    return std::u16string(tip.substr(0, qv::desktop::kMaxTrayTipLength));
}

}  // namespace

SShellNotifyIcon::~SShellNotifyIcon() {
    if (m_shown) Hide();
}

void SShellNotifyIcon::Create(HWND hwnd, const qv::ui::BitmapPtr& icon, std::u16string_view tip) {
    m_data.hwnd = hwnd;
    m_data.id = kTrayIconId;
    m_data.flags = qv::desktop::NIF_MESSAGE | qv::desktop::NIF_ICON | qv::desktop::NIF_TIP;
    m_data.callbackMessage = kTrayCallbackMessage;
    m_data.icon = ToTrayImage(icon);
    m_data.tip = CutTip(tip);
    m_created = true;
}

BOOL SShellNotifyIcon::Show() {
    if (!m_created) return FALSE;
    if (!qv::desktop::Shell_NotifyIcon(qv::desktop::NIM_ADD, m_data)) return FALSE;
    m_shown = 1;
    return TRUE;
}

BOOL SShellNotifyIcon::Hide() {
    if (!qv::desktop::Shell_NotifyIcon(qv::desktop::NIM_DELETE, m_data)) return FALSE;
    m_shown = 0;
    return TRUE;
}

BOOL SShellNotifyIcon::SetIcon(const qv::ui::BitmapPtr& icon) {
    m_data.icon = ToTrayImage(icon);
    return Modify();
}

BOOL SShellNotifyIcon::SetTip(std::u16string_view tip) {
    m_data.tip = CutTip(tip);
    return Modify();
}

BOOL SShellNotifyIcon::Modify() {
    if (!m_shown) return TRUE;
    return qv::desktop::Shell_NotifyIcon(qv::desktop::NIM_MODIFY, m_data);
}
