#pragma once
// Windows virtual-key codes mapped to X11 keysyms, for key grabs.
#include <cstdint>
#include <optional>

#include "platform/os/Types.h"

namespace qv::desktop {

struct KeySymMapping {
    std::uint32_t keysym;
    // Keypad digits and the decimal point exist only while NumLock is on; with
    // it off the same keys are the navigation keys.
    bool needsNumLock;
};

std::optional<KeySymMapping> KeySymForVirtualKey(UINT vk);

}  // namespace qv::desktop
