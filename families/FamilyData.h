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

const FamilyData& DorbIIFamily();
const FamilyData& ZenkFamily();
