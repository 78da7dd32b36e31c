#include "plugin/sound/BuiltInSounds.h"

#include "plugin/sound/MoodConfig.h"

SoundItem BuiltInSoundItem(int index) {
    const BuiltInSound& sound = kBuiltInSounds[static_cast<std::size_t>(index)];
    SoundItem item;
    MakeSoundItem(item, kSoundBuiltIn, sound.name, sound.resource);
    return item;
}
