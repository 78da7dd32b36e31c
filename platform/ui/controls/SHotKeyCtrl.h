#pragma once
// A hotkey field: the key pressed while it has the focus, with the modifiers
// held, becomes its combination, shown as CAccelerator formats it.
// Backspace or Delete alone clears it.
//
// Modifier keys are latched by their key-down and used by the next other
// key: the host delivers no key-up to controls, so a modifier pressed and
// released without a key stays latched until a key completes the
// combination or the focus leaves.
#include "platform/ui/SWindow.h"

namespace qv::ui {

class SHotKeyCtrl : public SWindow {
    QV_CLASS_NAME(SHotKeyCtrl, SWindow, u"hotkey", kObjectWindow)

public:
    SHotKeyCtrl();
    void SetHotKey(WORD vk, WORD modifiers);
    void GetHotKey(WORD& vk, WORD& modifiers) const;
    // What the field shows: the combination, or the latched modifiers.
    SStringW GetWindowText(bool raw = false) const override;

    bool OnKeyDown(UINT vk, UINT repeat, UINT flags) override;
    bool OnChar(char16_t ch) override { (void)ch; return true; }
    void OnKillFocus() override;

private:
    WORD m_vk = 0;
    WORD m_modifiers = 0;
    WORD m_latched = 0;
};

}  // namespace qv::ui
