#include "families/dorbII/DorbIITables.h"

const FamilyData& DorbIIFamily() {
    static const FamilyData family{
        .name = "dorbII",
        .descriptors = DorbIIDescriptors(),
        .groups = DorbIIGroups(),
        .deviceEffects = DorbIIDeviceEffects(),
        .builtInEffectCount = 9,
        .presetBanks = DorbIIPresetBanks(),
        .dodgeEffectNumber = 4,
        .downloadedEffectCode = 20,
        .userEffectCodeBase = 4,
        .userEffectCodeStep = 1,
        .notifiedEffectRule = NotifiedEffectRule::kApplyAtNamingTriple,
        .deviceEffectSaveRule = DeviceEffectSaveRule::kStoreCopy,
        .stateFileName = u"DorbIIConfigData.db",
        .moodFileName = u"DorbIIMoodcfg.ini",
        .cloudEffectListBody = "genreId=7&pageNumber=1&pageSize=1000&categoryId=-2",
        .cloudListHasBuiltInEntry = true,
    };
    return family;
}
