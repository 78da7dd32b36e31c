#include "platform/ui/controls/SDropDownWnd.h"

namespace qv::ui {

bool SDropDownWnd::Create(const CRect& screenRect) {
    std::string xml = "<dropdown size=\"" + std::to_string(std::max(1, screenRect.Width())) + "," +
                      std::to_string(std::max(1, screenRect.Height())) + "\"/>";
    if (!CreateFromXml(SStringW::FromUtf8(xml))) return false;
    m_exitCode = IDCANCEL;
    m_ending = false;
    SetWindowPos(screenRect);
    m_dropOwner->OnCreateDropDown(this);
    UpdateLayout();
    ShowWindow(SW_SHOWNOACTIVATE);
    return true;
}

void SDropDownWnd::EndDropDown(UINT code) {
    if (m_ending || !IsWindow()) return;
    m_ending = true;
    m_exitCode = code;
    m_dropOwner->OnDestroyDropDown(this);
    DestroyWindow();
}

BOOL SDropDownWnd::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_KEYDOWN && wParam == VK_ESCAPE) {
        EndDropDown(IDCANCEL);
        return TRUE;
    }
    if (msg == WM_ACTIVATE && LOWORD(wParam) == 0) {  // deactivated: a click went elsewhere
        EndDropDown(IDCANCEL);
        return TRUE;
    }
    return SHostWnd::ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
}

}  // namespace qv::ui
