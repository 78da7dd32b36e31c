#include "plugin/AboutBox.h"

#include <memory>

#include "platform/os/Log.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SHostWnd.h"

namespace {

// The open about box; one at a time.
class CAboutPopup : public qv::ui::SHostWnd {
public:
    using SHostWnd::SHostWnd;
    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (msg == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE) {
            DestroyWindow();
            return TRUE;
        }
        return SHostWnd::ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
    }
};

std::unique_ptr<CAboutPopup> g_popup;

}  // namespace

BOOL ShowAboutBox(const char16_t* layoutName) {
    g_popup.reset();
    auto popup = std::make_unique<CAboutPopup>(layoutName);
    if (!popup->Create(nullptr)) {
        QV_LOGE("about box not created");
        return FALSE;
    }
    popup->CenterWindow();
    popup->ShowWindow(SW_SHOWNORMAL);
    g_popup = std::move(popup);
    return TRUE;
}

void CloseAboutBox() { g_popup.reset(); }
