#include "controls/CInActiveCloseDlg.h"

#include <vector>

#include "platform/os/Log.h"
#include "platform/ui/IDisplayBackend.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SwndDispatch.h"

namespace qv::controls {

using namespace qv::ui;

namespace {

std::vector<CInActiveCloseDlg*>& OpenDialogs() {
    static std::vector<CInActiveCloseDlg*> dialogs;
    return dialogs;
}

}  // namespace

CInActiveCloseDlg::CInActiveCloseDlg(const SStringW& layoutName) : SHostWnd(layoutName) {
    OpenDialogs().push_back(this);
}

CInActiveCloseDlg::~CInActiveCloseDlg() { std::erase(OpenDialogs(), this); }

BOOL CInActiveCloseDlg::ShowPopup(const SStringW& layoutName) {
    auto* dlg = new CInActiveCloseDlg(layoutName);
    if (!dlg->Create(nullptr)) {
        QV_LOGE("popup %s not created", layoutName.ToUtf8().c_str());
        delete dlg;
        return FALSE;
    }
    dlg->CentreOverMainWindow();
    dlg->ShowWindow(SW_SHOWNORMAL);
    return TRUE;
}

void CInActiveCloseDlg::CloseAll() {
    const std::vector<CInActiveCloseDlg*> open = OpenDialogs();
    for (CInActiveCloseDlg* dlg : open) {
        if (dlg->IsWindow()) dlg->DestroyWindow();
    }
}

int CInActiveCloseDlg::OpenCount() { return static_cast<int>(OpenDialogs().size()); }

void CInActiveCloseDlg::CentreOverMainWindow() {
    SApplication* app = SApplication::getSingletonPtr();
    SHostWnd* main = app ? app->GetMainWnd() : nullptr;
    CenterWindow(main ? main->GetHwnd() : nullptr);
}

void CInActiveCloseDlg::OnClose() {
    ShowWindow(SW_HIDE);
    DestroyWindow();
}

LRESULT CInActiveCloseDlg::OnActivate(UINT, WPARAM wParam, LPARAM) {
    if (LOWORD(wParam) != WA_INACTIVE) {
        SetMsgHandled(FALSE);
        return 0;
    }
    // Closed only when the activation went elsewhere with the pointer.
    if (!GetScreenRect().PtInRect(GetDisplayBackend().GetCursorPos())) {
        PostMessage(WM_CLOSE);
        QV_TRACE("WA_INACTIVE");
    }
    SetMsgHandled(FALSE);
    return 0;
}

void CInActiveCloseDlg::OnFinalMessage(HWND) {
    QV_TRACE("OnFinalMessage");
    DispatchScope::DeleteLater(this);
}

}  // namespace qv::controls
