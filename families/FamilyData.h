#pragma once
// What differs between the card families, as data and a few small rules.
// The plug-in's shared sources read everything family-specific from here;
// one compile definition picks the family of a build (ThisFamily.h).
#include <cstdint>
#include <span>

#include "plugin/model/EffectRecord.h"
#include "plugin/model/GroupPreset.h"
#include "plugin/model/ParamDescriptor.h"
#include "plugin/model/ParamGroup.h"

// The built-in presets of one group and where its custom slots begin.
struct PresetBankData {
    std::span<const GroupPreset> presets;
    std::int32_t firstCustomSlot;
};

// How a card notification picks the effect it names.
enum class NotifiedEffectRule {
    // The record is applied at the first triple that names it, before that
    // triple's value and the later ones are stored.
    kApplyAtNamingTriple,
    // The record is applied after all triples were stored, overriding them.
    kApplyAfterFrame,
};

// What saving a device custom effect does.
enum class DeviceEffectSaveRule {
    kStoreCopy,           // a copy goes to the device record and the state file
    kMakeCurrentAndSend,  // the current effect becomes it and is sent to the card first
};

// How a session with the card starts once a card of the family is there.
enum class SessionStartRule {
    kDirect,        // 0x90 with 1, the usage report, every parameter
    kFirmwareGate,  // the firmware version first; too old a card is led to the upgrade
};

// What a card arriving in update mode does while the program runs.
enum class UpdateModeArrivalRule {
    kIgnore,        // nothing: only a card present at start is led to the upgrade
    kAskToUpgrade,  // the needs-upgrade flag and EventNeedUpgradeFirmware
};

// Which page of the reverb / voice-change tabs comes to the front.
enum class PitchTabRule {
    kVoiceEffectsOrSwitch,  // the two voice effects, or the voice switch on
    kGirlVoiceOnly,         // the girl-voice effect only
};

// When a cloud sound fetched for the pads is recorded among the downloads.
enum class DownloadRecordOrder {
    kBeforePurpose,  // always, before the purpose is looked at
    kAfterPurpose,   // after it, and not when the sound already is a favourite
};

// The effect page's rules beside the tables.
struct FamilyEffectPageData {
    std::int32_t electricEffect;     // built-in effect number of "电音"
    std::int32_t girlVoiceEffect;    // of the girl-voice effect
    std::int32_t monsterVoiceEffect; // of the monster-voice effect (-1: none)
    PitchTabRule pitchTabRule;
    // Whether closing the page keeps the reverb view's scroll position.
    bool savesReverbScroll;
    // Whether the preset check marks are brought up to date after a press
    // the model refused (for a slot that is not a custom one).
    bool refreshPresetsAfterRefusal;
};

// What the sound page reads of its family.
struct FamilySoundPageData {
    const char16_t* padMenu;      // the pads' context menu resource
    int padMenuFirstPosition;     // where its items are inserted
    int renameCommand;            // the pad menu's rename command
    DownloadRecordOrder downloadRecordOrder;
    bool uploadsToCard;           // whether pads can be sent to the card's keys
    int volumePopupLift;          // extra pixels the volume popup sits above its button
};

// The main window's resources and the texts and commands that differ.
struct FamilyWindowData {
    const char16_t* mainLayout;   // "LAYOUT:XML_MAINWND_..."
    const char16_t* aboutLayout;  // the self-closing about box
    const char16_t* mainMenu;     // the caption's menu button
    const char16_t* manualFile;   // the user manual, under the program folder
    const char16_t* productLine;  // first line of the device information
    const char16_t* titleSuffix;  // after the title while a usable card is connected
    const char16_t* presetFileFilter;  // the preset files' filter name, with "*.data"
    int manualCommand;            // main-menu command ids
    int aboutCommand;
};

struct FamilyData {
    const char* name;  // "dorbII", "zenk"
    std::uint32_t modelId;          // the four-character model code
    std::uint16_t normalProductId;  // USB product id of the card in normal mode
    // The card's name among the audio devices; also names the family to the user.
    const char16_t* deviceName;
    SessionStartRule sessionStart;
    // Lowest firmware version that opens a session (with the firmware gate).
    std::int32_t minimumFirmwareVersion;
    UpdateModeArrivalRule updateModeArrival;
    std::span<const ParamDescriptor> descriptors;
    std::span<const ParamGroup> groups;
    // The built-in effects first, then the device custom effects 1 .. 3.
    std::span<const EffectRecord> deviceEffects;
    std::int32_t builtInEffectCount;
    // Bank n serves group n; a family may have fewer banks than groups.
    std::span<const PresetBankData> presetBanks;
    // The built-in effect whose number switches dodging on for a downloaded effect.
    std::int32_t dodgeEffectNumber;
    // Effect code of a downloaded or cloud effect.
    std::int32_t downloadedEffectCode;
    // Effect code of user effect slot n is userEffectCodeBase + userEffectCodeStep x n.
    std::int32_t userEffectCodeBase;
    std::int32_t userEffectCodeStep;
    NotifiedEffectRule notifiedEffectRule;
    DeviceEffectSaveRule deviceEffectSaveRule;
    const char16_t* stateFileName;  // in the app-data folder
    const char16_t* moodFileName;   // the sound pads' file, in the app-data folder
    // Form body of the catalogue's effect-list request.
    const char* cloudEffectListBody;
    // Whether the built-in entry "回荡" (id -1) heads the cloud effect list.
    bool cloudListHasBuiltInEntry;
    FamilyWindowData window;
    FamilyEffectPageData effectPage;
    FamilySoundPageData soundPage;
};

// Parameter ids with a fixed meaning in every family.
constexpr std::int32_t kParamEffectNumber = 4;   // built-in effect selected on the card
constexpr std::int32_t kParamDodgeSwitch = 13;   // 闪避开关
constexpr std::int32_t kParamEffectCode = 11;    // device custom effect, also the current-effect code
constexpr std::int32_t kFirstEqBand = 25;
constexpr std::int32_t kLastEqBand = 34;
constexpr int kDeviceCustomEffectCount = 3;
constexpr int kUserEffectCount = 12;
constexpr int kCustomPresetSlots = 4;
constexpr int kFirstCustomPresetBank = 1;
constexpr int kLastCustomPresetBank = 3;
constexpr int kCloudDetailBank = 4;

constexpr int kFirstEffectButton = 10000;
constexpr int kFirstPresetButton = 11000;

// Numbers that follow from a family's tables.
// Effect buttons: the device effects (built-in, then device custom), then the user's.
inline int DeviceEffectCount(const FamilyData& f) { return static_cast<int>(f.deviceEffects.size()); }
inline int EffectButtonCount(const FamilyData& f) { return DeviceEffectCount(f) + kUserEffectCount; }
inline int FirstUserEffectButton(const FamilyData& f) { return DeviceEffectCount(f); }
// Preset button of a bank's slot.
inline int PresetButtonId(int bank, int slot) { return kFirstPresetButton + 100 * bank + slot; }
// The slots of a bank's custom presets begin after its built-in ones.
inline int FirstCustomPresetSlot(const FamilyData& f, int bank) {
    return f.presetBanks[static_cast<std::size_t>(bank)].firstCustomSlot;
}

// The effect code of user effect n, and the user effect of a code (-1: none).
std::int32_t UserEffectCode(const FamilyData& family, int n);
int UserEffectOfCode(const FamilyData& family, std::int32_t code);
// The effect button of the current effect, from its code and the card's
// effect number; -1 when no button shows it.
int EffectButtonOfCode(const FamilyData& family, std::int32_t code, std::int32_t effectNumber);

const FamilyData& DorbIIFamily();
const FamilyData& ZenkFamily();
