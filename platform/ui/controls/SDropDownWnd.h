#pragma once
// A drop-down: a borderless popup host window shown without taking the
// activation, filled by its owner. It ends with a code (IDOK for a choice,
// IDCANCEL otherwise) on EndDropDown, on Escape, or when it is deactivated.
// The owner keeps the object: it is only destroyed as a window, so it may
// end from inside its own input handling.
#include "platform/ui/SHostWnd.h"

namespace qv::ui {

class SDropDownWnd;

class ISDropDownOwner {
public:
    virtual ~ISDropDownOwner() = default;
    // The window the drop-down belongs to.
    virtual SWindow* GetDropDownOwner() = 0;
    // Fill the drop-down (it is created but not shown yet).
    virtual void OnCreateDropDown(SDropDownWnd* dropDown) = 0;
    // Take back what was lent to it; it is destroyed next.
    virtual void OnDestroyDropDown(SDropDownWnd* dropDown) = 0;
};

class SDropDownWnd : public SHostWnd {
    QV_CLASS_NAME(SDropDownWnd, SHostWnd, u"dropdown", kObjectWindow)

public:
    explicit SDropDownWnd(ISDropDownOwner* owner) : m_dropOwner(owner) {}

    // Creates the window at the screen rectangle and shows it.
    bool Create(const CRect& screenRect);
    void EndDropDown(UINT code);
    UINT GetExitCode() const { return m_exitCode; }
    ISDropDownOwner* GetDropOwner() const { return m_dropOwner; }

    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    ISDropDownOwner* m_dropOwner;
    UINT m_exitCode = IDCANCEL;
    bool m_ending = false;
};

}  // namespace qv::ui
