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
        .window =
            {
                .mainLayout = u"LAYOUT:XML_MAINWND_DORBII",
                .aboutLayout = u"LAYOUT:XML_ABOUT_DORBII",
                .mainMenu = u"smenu:menu_main",
                .manualFile = u"/Manuals/DorbⅡPro_UserManual.pdf",
                .productLine = u"产品名称：Dorb Ⅱ Pro\n",
                .titleSuffix = u" - Dorb Ⅱ Pro",
                .presetFileFilter = u"预设音效参数文件(*.data)",
                .manualCommand = 3,
                .aboutCommand = 4,
            },
    };
    return family;
}
