#include "platform/ui/controls/CAccelerator.h"

#include "platform/ui/desktop/HotKeys.h"

namespace qv::ui {

static_assert(kHotkeyAlt == qv::desktop::MOD_ALT && kHotkeyControl == qv::desktop::MOD_CONTROL &&
              kHotkeyShift == qv::desktop::MOD_SHIFT && kHotkeyWin == qv::desktop::MOD_WIN);

SStringW CAccelerator::KeyName(WORD vk) {
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) {
        char16_t s[] = {static_cast<char16_t>(vk), 0};
        return SStringW(s);
    }
    if (vk >= 0x70 && vk <= 0x87) return SStringW::Format(u"F%d", vk - 0x70 + 1);
    if (vk >= 0x60 && vk <= 0x69) return SStringW::Format(u"Num %d", vk - 0x60);
    switch (vk) {
    case 0x08: return u"Backspace";
    case 0x09: return u"Tab";
    case 0x0D: return u"Enter";
    case 0x13: return u"Pause";
    case 0x14: return u"CapsLock";
    case 0x1B: return u"Esc";
    case 0x20: return u"Space";
    case 0x21: return u"PageUp";
    case 0x22: return u"PageDown";
    case 0x23: return u"End";
    case 0x24: return u"Home";
    case 0x25: return u"Left";
    case 0x26: return u"Up";
    case 0x27: return u"Right";
    case 0x28: return u"Down";
    case 0x2C: return u"PrintScreen";
    case 0x2D: return u"Insert";
    case 0x2E: return u"Delete";
    case 0x6A: return u"Num *";
    case 0x6B: return u"Num +";
    case 0x6D: return u"Num -";
    case 0x6E: return u"Num .";
    case 0x6F: return u"Num /";
    case 0x90: return u"NumLock";
    case 0x91: return u"ScrollLock";
    case 0xBA: return u";";
    case 0xBB: return u"=";
    case 0xBC: return u",";
    case 0xBD: return u"-";
    case 0xBE: return u".";
    case 0xBF: return u"/";
    case 0xC0: return u"`";
    case 0xDB: return u"[";
    case 0xDC: return u"\\";
    case 0xDD: return u"]";
    case 0xDE: return u"'";
    default: return SStringW::Format(u"0x%02X", vk);
    }
}

SStringW CAccelerator::FormatHotkey(WORD vk, WORD modifiers) {
    if (vk == 0) return {};
    SStringW text;
    if (modifiers & kHotkeyControl) text += u"Ctrl+";
    if (modifiers & kHotkeyShift) text += u"Shift+";
    if (modifiers & kHotkeyAlt) text += u"Alt+";
    if (modifiers & kHotkeyWin) text += u"Win+";
    text += KeyName(vk);
    return text;
}

}  // namespace qv::ui
