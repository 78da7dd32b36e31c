#include "families/dorbII/DorbIITables.h"
#include "host/AppInterfaces.h"

const FamilyData& DorbIIFamily() {
    static const FamilyData family{
        .name = "dorbII",
        .modelId = kModelDorbII,
        .normalProductId = 0x0036,
        .deviceName = u"Dorb II Pro",
        .sessionStart = SessionStartRule::kDirect,
        .minimumFirmwareVersion = 0,
        .updateModeArrival = UpdateModeArrivalRule::kIgnore,
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
        .effectPage =
            {
                .electricEffect = 8,
                .girlVoiceEffect = 6,
                .monsterVoiceEffect = 5,
                .pitchTabRule = PitchTabRule::kVoiceEffectsOrSwitch,
                .savesReverbScroll = false,
                .refreshPresetsAfterRefusal = false,
            },
        .soundPage =
            {
                .padMenu = u"SMENU::menu_mood_hotkey",
                .padMenuFirstPosition = 1,
                .renameCommand = 1007,
                .downloadRecordOrder = DownloadRecordOrder::kBeforePurpose,
                .uploadsToCard = true,
                .volumePopupLift = 0,
            },
    };
    return family;
}
