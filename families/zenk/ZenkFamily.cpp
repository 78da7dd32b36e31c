#include "families/zenk/ZenkTables.h"
#include "host/AppInterfaces.h"

const FamilyData& ZenkFamily() {
    static const FamilyData family{
        .name = "zenk",
        .modelId = kModelZenk,
        .normalProductId = 0x001D,
        .deviceName = u"Zenk",
        .sessionStart = SessionStartRule::kFirmwareGate,
        .minimumFirmwareVersion = 15,
        .updateModeArrival = UpdateModeArrivalRule::kAskToUpgrade,
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
        .window =
            {
                .mainLayout = u"LAYOUT:XML_MAINWND_ZENK",
                .aboutLayout = u"LAYOUT:XML_ABOUT_ZENK",
                .mainMenu = u"smenu:menu_main1",
                .manualFile = u"/Manuals/UserManual.pdf",
                .productLine = u"产品名称：Zenk\n",
                .titleSuffix = u" - Zenk",
                .presetFileFilter = u"预设参数文件(*.data)",
                .manualCommand = 4,
                .aboutCommand = 3,
            },
        .effectPage =
            {
                .electricEffect = 7,
                .girlVoiceEffect = 6,
                .monsterVoiceEffect = -1,
                .pitchTabRule = PitchTabRule::kGirlVoiceOnly,
                .savesReverbScroll = true,
                .refreshPresetsAfterRefusal = true,
            },
        .soundPage =
            {
                .padMenu = u"SMENU:MENU_EMPTY",
                .padMenuFirstPosition = 0,
                .renameCommand = 1006,
                .downloadRecordOrder = DownloadRecordOrder::kAfterPurpose,
                .uploadsToCard = false,
                .volumePopupLift = 2,
            },
    };
    return family;
}
