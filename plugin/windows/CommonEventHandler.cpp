#include "plugin/windows/CommonEventHandler.h"

#include "platform/ui/SHostDialog.h"

bool CCommonEventHandler::Serves(qv::ui::EventArgs* e) const {
    if (!m_host || !e) return false;
    if (e->Sender() == m_host) return true;
    auto* sender = dynamic_cast<qv::ui::SWindow*>(e->Sender());
    return sender && sender->GetContainer() == static_cast<qv::ui::ISwndContainer*>(m_host);
}

BOOL CCommonEventHandler::OnEvent(qv::ui::EventArgs* e) {
    if (!e || e->GetID() != qv::ui::EVT_CMD || !Serves(e)) return FALSE;
    const qv::ui::SStringW& name = e->nameFrom;
    if (name == u"btn_close") {
        Destroy();
    } else if (name == u"btn_min") {
        Minimize();
    } else if (name == u"btn_max") {
        Maximize();
    } else if (name == u"btn_restore") {
        Restore();
    } else if (name == u"btnOK") {
        EndOk();
    } else if (name == u"btnCancel") {
        EndCancel();
    } else {
        return FALSE;
    }
    return TRUE;
}

void CCommonEventHandler::Destroy() {
    if (m_host) m_host->DestroyWindow();
}

void CCommonEventHandler::End(int code) {
    if (auto* dialog = dynamic_cast<qv::ui::SHostDialog*>(m_host)) dialog->EndDialog(code);
}

void CCommonEventHandler::SysCommand(WPARAM command) {
    if (m_host) m_host->SendMessage(WM_SYSCOMMAND, command, 0);
}
