#include "platform/ui/controls/SHotKeyCtrl.h"

#include "platform/ui/controls/CAccelerator.h"

namespace qv::ui {
namespace {

// The modifier flag of a modifier key (either side), 0 for other keys.
WORD ModifierOf(UINT vk) {
    switch (vk) {
    case 0x10: case 0xA0: case 0xA1: return kHotkeyShift;
    case 0x11: case 0xA2: case 0xA3: return kHotkeyControl;
    case 0x12: case 0xA4: case 0xA5: return kHotkeyAlt;
    case 0x5B: case 0x5C: return kHotkeyWin;
    default: return 0;
    }
}

}  // namespace

SHotKeyCtrl::SHotKeyCtrl() { SetAttribute(u"focusable", u"1", true); }

void SHotKeyCtrl::SetHotKey(WORD vk, WORD modifiers) {
    m_vk = vk;
    m_modifiers = vk ? modifiers : 0;
    m_latched = 0;
    Invalidate();
}

void SHotKeyCtrl::GetHotKey(WORD& vk, WORD& modifiers) const {
    vk = m_vk;
    modifiers = m_modifiers;
}

SStringW SHotKeyCtrl::GetWindowText(bool raw) const {
    (void)raw;
    if (m_latched) {
        SStringW text = CAccelerator::FormatHotkey(u'X', m_latched);
        return text.Left(text.GetLength() - 1);  // "Ctrl+" while waiting for the key
    }
    return CAccelerator::FormatHotkey(m_vk, m_modifiers);
}

bool SHotKeyCtrl::OnKeyDown(UINT vk, UINT repeat, UINT flags) {
    (void)repeat;
    (void)flags;
    if (WORD mod = ModifierOf(vk)) {
        m_latched |= mod;
        Invalidate();
        return true;
    }
    // Escape alone is the dialog's: it cancels.
    if (vk == VK_ESCAPE && !m_latched) return false;
    if ((vk == VK_BACK || vk == VK_DELETE) && !m_latched) SetHotKey(0, 0);
    else SetHotKey(static_cast<WORD>(vk), m_latched);
    return true;
}

void SHotKeyCtrl::OnKillFocus() {
    m_latched = 0;
    Invalidate();
}

}  // namespace qv::ui
