#pragma once
// A popup built from a layout (the about box, the device information box)
// that closes itself when it loses the activation while the pointer is
// outside it, or when its "btn_close" is clicked. It has no owner and opens
// centred over the main window, else the screen.
//
// UI thread only. The dialog deletes itself after its window is gone.
#include "platform/ui/SHostWnd.h"

namespace qv::controls {

class CInActiveCloseDlg : public qv::ui::SHostWnd {
public:
    // 1 when shown, 0 when the layout cannot be built.
    static BOOL ShowPopup(const qv::ui::SStringW& layoutName);
    // Closes every such popup still open (when the plug-in's UI goes).
    static void CloseAll();
    static int OpenCount();

    BEGIN_MSG_MAP_EX(CInActiveCloseDlg)
        MSG_WM_INITDIALOG(OnInitDialog)
        MSG_WM_CLOSE(OnClose)
        MESSAGE_HANDLER_EX(WM_ACTIVATE, OnActivate)
        CHAIN_MSG_MAP(qv::ui::SHostWnd)
    END_MSG_MAP()

    BOOL _HandleEvent(qv::ui::EventArgs* pEvt) override {
        const int uCode = pEvt->GetID();
        EVENT_NAME_COMMAND(u"btn_close", OnClose)
        return FALSE;
    }

protected:
    void OnFinalMessage(HWND hwnd) override;

private:
    explicit CInActiveCloseDlg(const qv::ui::SStringW& layoutName);
    ~CInActiveCloseDlg() override;
    BOOL OnInitDialog(HWND, LPARAM) { return TRUE; }
    void OnClose();
    LRESULT OnActivate(UINT msg, WPARAM wParam, LPARAM lParam);
    void CentreOverMainWindow();
};

}  // namespace qv::controls
