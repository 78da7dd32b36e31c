#pragma once
// Message boxes from the skin's message-box layout: a caption ("msgtitle"),
// a text ("msgtext") and the page of "btnSwitch" that holds the buttons of
// the type (MB_OK: OK; MB_YESNO: Yes, No; MB_YESNOCANCEL: Yes, No, Cancel).
// The result is the id of the button pressed (IDOK 1, IDYES 6, IDNO 7);
// closing the box otherwise (its close button, Escape, WM_CLOSE) gives
// IDCANCEL 2. Callers go through SMessageBox, which asks the installed
// service, so tests answer boxes without any window.
#include <pugixml.hpp>

#include "platform/ui/SHostDialog.h"

namespace qv::ui {

class IMessageBoxService {
public:
    virtual ~IMessageBoxService() = default;
    // Shows the box modally over the owner (or none) and returns the result.
    virtual int MessageBox(HWND owner, const SStringW& text, const SStringW& caption, UINT type) = 0;
};

// Installs a service (null: the skin's box). The caller keeps ownership.
void SetMessageBoxService(IMessageBoxService* service);
IMessageBoxService& GetMessageBoxService();
int SMessageBox(HWND owner, const SStringW& text, const SStringW& caption, UINT type);
// Whether a box can be seen and answered: a service is installed, or a real
// display is (on the default offscreen one a modal box would never end).
bool CanShowModalBoxes();

// The layout's top element ("SOUI") the skin's box is built from; without
// one the box loads "LAYOUT:XML_MSGBOX". An empty node clears it (FALSE).
BOOL SetMsgTemplate(pugi::xml_node top);

// The skin's box itself.
class SMessageBoxImpl : public SHostDialog {
    QV_CLASS_NAME(SMessageBoxImpl, SHostDialog, u"messagebox", kObjectWindow)

public:
    // Creates the box from the template, fills it, runs it; IDCANCEL when it
    // cannot be created.
    int MessageBox(HWND owner, const SStringW& text, const SStringW& caption, UINT type);

    BOOL _HandleEvent(EventArgs* e) override;
    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool Fill(const SStringW& text, const SStringW& caption, UINT type);

    int m_defaultId = IDOK;
};

}  // namespace qv::ui
