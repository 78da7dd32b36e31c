#pragma once
// SDL key codes to Windows virtual-key codes: hosts compare VK values and
// stored hotkeys hold them.
#include <SDL_keycode.h>

#include "platform/os/Types.h"

namespace qv::ui::sdl {

// 0 for keys without a virtual-key code.
UINT VirtualKeyFromSdl(SDL_Keycode key);

}  // namespace qv::ui::sdl
