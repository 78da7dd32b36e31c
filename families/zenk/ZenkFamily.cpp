#include "families/zenk/ZenkTables.h"

const FamilyData& ZenkFamily() {
    static const FamilyData family{
        .name = "zenk",
        .descriptors = ZenkDescriptors(),
        .groups = ZenkGroups(),
        .deviceEffects = ZenkDeviceEffects(),
        .builtInEffectCount = 8,
        .presetBanks = ZenkPresetBanks(),
        .dodgeEffectNumber = 5,
        .downloadedEffectCode = 0,
        .userEffectCodeBase = -1,
        .userEffectCodeStep = -1,
        .notifiedEffectRule = NotifiedEffectRule::kApplyAfterFrame,
        .deviceEffectSaveRule = DeviceEffectSaveRule::kMakeCurrentAndSend,
        .stateFileName = u"ZenkConfigData.db",
    };
    return family;
}
