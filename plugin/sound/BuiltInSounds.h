#pragma once
// The ten sounds every installation has: each plays an "MP3" resource of the
// host's skin. On the local page they are the first pads; a new mood file
// starts its favourites with them.
#include <array>
#include <cstdint>

#include "plugin/sound/SoundItem.h"

struct BuiltInSound {
    const char16_t* name;      // shown on its pad
    const char16_t* resource;  // the host's "MP3" resource
};

inline constexpr std::array<BuiltInSound, 10> kBuiltInSounds = {{
    {u"大哄笑", u"DJ_DHX"},
    {u"掌声", u"DJ_ZS"},
    {u"亲嘴", u"DJ_QZ"},
    {u"小哄笑", u"DJ_XHX"},
    {u"打耳光", u"DJ_DEG"},
    {u"感谢", u"DJ_GX"},
    {u"欢迎大哥", u"DJ_HYDG"},
    {u"爱你", u"DJ_LOVE"},
    {u"神话情话", u"DJ_SHQH"},
    {u"鄙视", u"DJ_BS"},
}};

// The first favourites of a new mood file carry the numeric keypad's 1 .. 8
// (no modifier) as hotkeys; the last two have none.
inline constexpr int kBuiltInHotKeyCount = 8;
inline constexpr std::uint32_t kFirstBuiltInHotKey = 0x61;  // VK_NUMPAD1

// Built-in sound i as a pad item (kind 0, the resource as its path, no
// hotkey); i must be inside the table.
SoundItem BuiltInSoundItem(int index);
