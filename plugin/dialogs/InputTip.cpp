#include "plugin/dialogs/InputTip.h"

#include <memory>

#include "platform/ui/SToolTipWnd.h"

namespace {

constexpr UINT_PTR kTipTimerId = 100;

// The tool-tip window shown at a point for a time.
class CInputTipWnd : public qv::ui::SToolTipWnd {
public:
    void ShowAt(qv::ui::CPoint bottomLeft, const qv::ui::SStringW& text, UINT ms) {
        KillTimer(kTipTimerId);
        SetText(text);
        const qv::ui::CRect own = GetScreenRect();
        SetWindowPos(qv::ui::CRect(bottomLeft.x, bottomLeft.y - own.Height(), bottomLeft.x + own.Width(), bottomLeft.y));
        ShowWindow(SW_SHOWNOACTIVATE);
        SetTimer(kTipTimerId, ms);
    }
    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (msg == WM_TIMER && wParam == kTipTimerId) {
            KillTimer(kTipTimerId);
            Hide();
            result = 0;
            return TRUE;
        }
        return SToolTipWnd::ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
    }
};

std::unique_ptr<CInputTipWnd> g_tip;
InputTipPresenter g_presenter;

}  // namespace

void ShowInputTip(qv::ui::CPoint bottomLeft, const qv::ui::SStringW& text, UINT ms) {
    if (g_presenter) {
        g_presenter(bottomLeft, text, ms);
        return;
    }
    if (text.IsEmpty()) return;
    if (!g_tip) {
        g_tip = std::make_unique<CInputTipWnd>();
        if (!g_tip->Create()) {
            g_tip.reset();
            return;
        }
    }
    g_tip->ShowAt(bottomLeft, text, ms);
}

void HideInputTip() {
    if (!g_tip) return;
    if (g_tip->IsWindow()) g_tip->DestroyWindow();
    g_tip.reset();
}

void SetInputTipPresenter(InputTipPresenter presenter) { g_presenter = std::move(presenter); }
