#include "platform/ui/SHostDialog.h"

#include "platform/os/MessageQueue.h"
#include "platform/ui/SApplication.h"

namespace qv::ui {
namespace {

// Disables the owner host for the life of a modal loop. The owner is looked
// up again at the end, as it may be gone by then; one already disabled (by
// an outer loop) is left as it was.
class OwnerDisabler {
public:
    explicit OwnerDisabler(HWND owner) : m_owner(owner) {
        SHostWnd* host = Find();
        if (host && host->IsHostWindowEnabled()) {
            host->EnableHostWindow(false);
            m_disabled = true;
        }
    }
    ~OwnerDisabler() {
        if (!m_disabled) return;
        if (SHostWnd* host = Find()) host->EnableHostWindow(true);
    }
    OwnerDisabler(const OwnerDisabler&) = delete;
    OwnerDisabler& operator=(const OwnerDisabler&) = delete;

private:
    SHostWnd* Find() const {
        SApplication* app = SApplication::getSingletonPtr();
        return app && m_owner ? app->FindHostWnd(m_owner) : nullptr;
    }
    HWND m_owner;
    bool m_disabled = false;
};

}  // namespace

INT_PTR SHostDialog::DoModal(HWND owner) {
    m_ended = false;
    m_code = IDCANCEL;
    if (!GetHwnd() && !Create(owner)) return IDCANCEL;
    if (m_ended) {  // ended during WM_INITDIALOG
        DestroyWindow();
        return m_code;
    }
    OwnerDisabler disabler(owner != GetHwnd() ? owner : nullptr);
    CenterWindow(owner);
    ShowWindow(SW_SHOWNORMAL);
    m_inModal = true;
    qv::os::LoopOptions options;
    options.done = [this] { return m_ended || !GetHwnd(); };
    qv::os::RunMessageLoop(options);
    m_inModal = false;
    if (!m_ended) m_code = IDCANCEL;  // WM_QUIT or destroyed from outside
    INT_PTR code = m_code;
    if (GetHwnd()) DestroyWindow();
    return code;
}

void SHostDialog::EndDialog(INT_PTR code) {
    m_code = code;
    m_ended = true;
    // Wakes the nested loop so it sees the end at once.
    PostMessage(WM_NULL);
}

BOOL SHostDialog::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    // Escape cancels as the close box does (a dialog that refuses WM_CLOSE
    // stays), once the focused control has not taken it (an open list closes).
    if (msg == WM_KEYDOWN && wParam == VK_ESCAPE) {
        SHostWnd::ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
        if (!result && GetHwnd()) SendMessage(WM_CLOSE);
        result = 0;
        return TRUE;
    }
    if (msg == WM_CLOSE) {
        EndDialog(IDCANCEL);
        result = 0;
        return TRUE;
    }
    return SHostWnd::ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
}

}  // namespace qv::ui
