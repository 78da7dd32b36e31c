#include "platform/ui/desktop/VirtualKeyMap.h"

#include <X11/XF86keysym.h>
#include <X11/keysym.h>

namespace qv::desktop {
namespace {

struct Entry {
    UINT vk;
    std::uint32_t keysym;
};

// Keys without a simple range rule; codes are the Windows VK_ values.
constexpr Entry kTable[] = {
    {0x08, XK_BackSpace},   {0x09, XK_Tab},          {0x0D, XK_Return},
    {0x13, XK_Pause},       {0x14, XK_Caps_Lock},    {0x1B, XK_Escape},
    {0x20, XK_space},       {0x21, XK_Prior},        {0x22, XK_Next},
    {0x23, XK_End},         {0x24, XK_Home},         {0x25, XK_Left},
    {0x26, XK_Up},          {0x27, XK_Right},        {0x28, XK_Down},
    {0x2C, XK_Print},       {0x2D, XK_Insert},       {0x2E, XK_Delete},
    {0x5D, XK_Menu},        {0x6A, XK_KP_Multiply},  {0x6B, XK_KP_Add},
    {0x6C, XK_KP_Separator}, {0x6D, XK_KP_Subtract}, {0x6F, XK_KP_Divide},
    {0x90, XK_Num_Lock},    {0x91, XK_Scroll_Lock},
    {0xAD, XF86XK_AudioMute}, {0xAE, XF86XK_AudioLowerVolume},
    {0xAF, XF86XK_AudioRaiseVolume}, {0xB0, XF86XK_AudioNext},
    {0xB1, XF86XK_AudioPrev}, {0xB2, XF86XK_AudioStop}, {0xB3, XF86XK_AudioPlay},
    {0xBA, XK_semicolon},   {0xBB, XK_equal},        {0xBC, XK_comma},
    {0xBD, XK_minus},       {0xBE, XK_period},       {0xBF, XK_slash},
    {0xC0, XK_grave},       {0xDB, XK_bracketleft},  {0xDC, XK_backslash},
    {0xDD, XK_bracketright}, {0xDE, XK_apostrophe},
};

}  // namespace

std::optional<KeySymMapping> KeySymForVirtualKey(UINT vk) {
    if (vk >= 0x30 && vk <= 0x39) return KeySymMapping{XK_0 + (vk - 0x30), false};
    // Letters grab the unshifted keysym; Shift is a modifier of its own.
    if (vk >= 0x41 && vk <= 0x5A) return KeySymMapping{XK_a + (vk - 0x41), false};
    if (vk >= 0x60 && vk <= 0x69) return KeySymMapping{XK_KP_0 + (vk - 0x60), true};
    if (vk == 0x6E) return KeySymMapping{XK_KP_Decimal, true};
    if (vk >= 0x70 && vk <= 0x87) return KeySymMapping{XK_F1 + (vk - 0x70), false};
    for (const Entry& e : kTable) {
        if (e.vk == vk) return KeySymMapping{e.keysym, false};
    }
    return std::nullopt;
}

}  // namespace qv::desktop
