#pragma once
// Key combinations as text ("Ctrl+Shift+F1"). Modifier flags are the ones
// RegisterHotKey takes (Alt 1, Ctrl 2, Shift 4, Win 8), so a combination
// stored from the hotkey control registers as it stands.
#include "platform/os/Types.h"
#include "platform/ui/SStringW.h"

namespace qv::ui {

constexpr WORD kHotkeyAlt = 0x0001;
constexpr WORD kHotkeyControl = 0x0002;
constexpr WORD kHotkeyShift = 0x0004;
constexpr WORD kHotkeyWin = 0x0008;

class CAccelerator {
public:
    // "Ctrl+Shift+Alt+Win+Key" with the held modifiers only; empty for vk 0.
    static SStringW FormatHotkey(WORD vk, WORD modifiers);
    // The key's name: letters and digits as themselves, "F1", "Space",
    // "PageUp", "Num 5", ... and "0x%02X" for keys without a name.
    static SStringW KeyName(WORD vk);
};

}  // namespace qv::ui
