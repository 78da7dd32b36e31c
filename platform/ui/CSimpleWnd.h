#pragma once
// A plain popup host window without a layout, for value popups and tips:
// top-most, shown without taking the activation, without a taskbar entry.
// A subclass draws it in OnPaint and may answer its messages in a map.
#include "platform/ui/SHostWnd.h"

namespace qv::ui {

class CSimpleWnd : public SHostWnd {
    QV_CLASS_NAME(CSimpleWnd, SHostWnd, u"simplewnd", kObjectWindow)

public:
    CSimpleWnd();
    // Creates the window, hidden, at the screen rectangle. Null on failure.
    HWND CreatePopup(const SStringW& title, const CRect& screenRect);
    // Shows it where it is, without activating it.
    void ShowPopup() { ShowWindow(SW_SHOWNOACTIVATE); }
};

}  // namespace qv::ui
