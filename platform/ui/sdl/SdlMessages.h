#pragma once
// Windows message ids, key-state bits and virtual keys the SDL backend sends
// that platform/ui/WinDefs.h does not carry (yet); Windows values.
#include "platform/ui/WinDefs.h"

namespace qv::ui::sdl {

constexpr UINT WM_IME_STARTCOMPOSITION = 0x010D;
constexpr UINT WM_IME_ENDCOMPOSITION = 0x010E;
// wParam: caret position in the composition; lParam: const char16_t* to the
// zero-terminated composition text, valid during the call (sent, never posted).
constexpr UINT WM_IME_COMPOSITION = 0x010F;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;

constexpr UINT MK_SHIFT = 0x0004;
constexpr UINT MK_CONTROL = 0x0008;
constexpr UINT MK_MBUTTON = 0x0010;
constexpr int WHEEL_DELTA = 120;

}  // namespace qv::ui::sdl
