#pragma once
// The shared answer to the standard caption and dialog buttons of a host
// window, by the clicked widget's name: "btn_close", "btn_min", "btn_max",
// "btn_restore", "btnOK" and "btnCancel".
#include "platform/ui/EventArgs.h"
#include "platform/ui/SHostWnd.h"

class CCommonEventHandler {
public:
    virtual ~CCommonEventHandler() = default;

    void Attach(qv::ui::SHostWnd* host) { m_host = host; }
    // 1 when a command event of the served window (or a widget inside it)
    // named one of the standard buttons was carried out.
    virtual BOOL OnEvent(qv::ui::EventArgs* e);

    // The same actions from code. Ending needs a dialog.
    void EndCancel() { End(IDCANCEL); }
    void EndOk() { End(IDOK); }
    void Minimize() { SysCommand(SC_MINIMIZE); }
    void Restore() { SysCommand(SC_RESTORE); }
    void Maximize() { SysCommand(SC_MAXIMIZE); }
    void Destroy();

private:
    bool Serves(qv::ui::EventArgs* e) const;
    void End(int code);
    void SysCommand(WPARAM command);

    qv::ui::SHostWnd* m_host = nullptr;
};
