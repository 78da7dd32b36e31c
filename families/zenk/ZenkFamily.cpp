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
        .moodFileName = u"ZenkMoodcfg.ini",
        .cloudEffectListBody = "genreId=1&pageNumber=1&pageSize=1000&categoryId=-2",
        .cloudListHasBuiltInEntry = false,
    };
    return family;
}
