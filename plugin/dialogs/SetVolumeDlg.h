#pragma once
// The pad volume's popup: a vertical slider (0 .. 100) above the volume
// button. Every change, by the slider or the wheel, fires EventVolumeChange
// with the new volume. It holds the pointer while open: a click outside it
// closes it and reaches nothing else. It also closes when it loses the
// activation (a switch to another window), on its "btn_close", on WM_CLOSE
// and through CloseAll, and deletes itself once its window is gone.
//
// UI thread only.
#include "platform/ui/SHostWnd.h"

namespace qv::ui {
class SSliderBar;
}

class CSetVolumeDlg : public qv::ui::SHostWnd {
    QV_CLASS_NAME(CSetVolumeDlg, qv::ui::SHostWnd, u"SetVolumeDlg", qv::ui::kObjectWindow)

public:
    // With an anchor (a screen point) the popup's bottom edge sits on it,
    // centred; without one it opens centred over the main window. 1 when
    // shown, 0 when its window cannot be made.
    static BOOL ShowVolumeDlg(const qv::ui::CPoint* anchor, int volume);
    // Closes every open popup (when the page that opened them goes).
    static void CloseAll();
    // The open popup, or null.
    static CSetVolumeDlg* Current();

    int GetVolume() const { return m_volume; }

    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL _HandleEvent(qv::ui::EventArgs* e) override;

protected:
    void OnFinalMessage(HWND hwnd) override;

private:
    explicit CSetVolumeDlg(int volume);
    ~CSetVolumeDlg() override;
    void OnInitDialog();
    void OnMouseWheel(int delta);
    void SetVolume(int volume);
    void Close();

    qv::ui::SSliderBar* m_slider = nullptr;
    int m_volume;
    bool m_closing = false;
};
