#include "plugin/dialogs/SetVolumeDlg.h"

#include <algorithm>
#include <vector>

#include "platform/os/Log.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SwndDispatch.h"
#include "platform/ui/controls/SSliderBar.h"
#include "plugin/app/AppEvents.h"
#include "plugin/app/ResNames.h"

namespace {

std::vector<CSetVolumeDlg*>& OpenPopups() {
    static std::vector<CSetVolumeDlg*> popups;
    return popups;
}

}  // namespace

CSetVolumeDlg::CSetVolumeDlg(int volume) : SHostWnd(res::layout::XML_SET_VOLUME), m_volume(std::clamp(volume, 0, 100)) {
    OpenPopups().push_back(this);
}

CSetVolumeDlg::~CSetVolumeDlg() { std::erase(OpenPopups(), this); }

BOOL CSetVolumeDlg::ShowVolumeDlg(const qv::ui::CPoint* anchor, int volume) {
    auto* popup = new CSetVolumeDlg(volume);
    if (!popup->Create(nullptr)) {
        QV_LOGE("the volume popup was not created");
        delete popup;
        return FALSE;
    }
    if (anchor) {
        const qv::ui::CRect rc = popup->GetScreenRect();
        popup->MoveWindow(anchor->x - rc.Width() / 2, anchor->y - rc.Height(), rc.Width(), rc.Height());
    } else {
        qv::ui::SApplication* app = qv::ui::SApplication::getSingletonPtr();
        qv::ui::SHostWnd* main = app ? app->GetMainWnd() : nullptr;
        popup->CenterWindow(main ? main->GetHwnd() : nullptr);
    }
    popup->ShowWindow(SW_SHOWNORMAL);
    popup->SetForegroundWindow();
    // A click anywhere comes to the popup, with or without a window manager
    // that would move the activation.
    popup->HoldPointer(true);
    return TRUE;
}

void CSetVolumeDlg::CloseAll() {
    const std::vector<CSetVolumeDlg*> open = OpenPopups();
    for (CSetVolumeDlg* popup : open)
        if (popup->IsWindow()) popup->DestroyWindow();
}

CSetVolumeDlg* CSetVolumeDlg::Current() {
    for (CSetVolumeDlg* popup : OpenPopups())
        if (popup->IsWindow()) return popup;
    return nullptr;
}

BOOL CSetVolumeDlg::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        return TRUE;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
        // Outside: it closes, and the click is used up here.
        qv::ui::CPoint at(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        ClientToScreen(at);
        if (GetScreenRect().PtInRect(at)) break;
        PostMessage(WM_CLOSE);
        return TRUE;
    }
    case WM_MOUSEWHEEL:
        if (!m_slider) break;
        OnMouseWheel(static_cast<short>(HIWORD(wParam)));
        return TRUE;
    case WM_ACTIVATE:
        // A click elsewhere or a switch to another window.
        if (LOWORD(wParam) == WA_INACTIVE) PostMessage(WM_CLOSE);
        break;
    case WM_CLOSE:
        Close();
        return TRUE;
    case WM_DESTROY:
        m_slider = nullptr;
        break;
    default:
        break;
    }
    return SHostWnd::ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
}

BOOL CSetVolumeDlg::_HandleEvent(qv::ui::EventArgs* e) {
    if (e->GetID() == qv::ui::EVT_CMD && e->nameFrom == u"btn_close") {
        Close();
        return TRUE;
    }
    if (auto* moved = qv::ui::EventCast<qv::ui::EventSliderPos>(e); moved && e->nameFrom == u"slider_sound_volume") {
        SetVolume(moved->nPos);
        return TRUE;
    }
    return FALSE;
}

void CSetVolumeDlg::OnInitDialog() {
    m_slider = FindChildByName2<qv::ui::SSliderBar>(u"slider_sound_volume");
    if (!m_slider) return;
    m_slider->SetRange(0, 100);
    m_slider->SetValue(m_volume);
    m_slider->SetFocus();
}

void CSetVolumeDlg::OnMouseWheel(int delta) {
    const int volume = delta >= 0 ? m_volume + 1 : m_volume - 1;
    if (volume < 0 || volume > 100) return;
    m_slider->SetValue(volume);
    SetVolume(volume);
}

void CSetVolumeDlg::SetVolume(int volume) {
    m_volume = volume;
    auto event = NewAppEvent<EventVolumeChange>();
    event->volume = volume;
    FireAppEventAsync(std::move(event));
}

void CSetVolumeDlg::Close() {
    if (m_closing || !IsWindow()) return;
    m_closing = true;
    ShowWindow(SW_HIDE);
    DestroyWindow();
}

void CSetVolumeDlg::OnFinalMessage(HWND) {
    QV_TRACE("OnFinalMessage");
    qv::ui::DispatchScope::DeleteLater(this);
}
