#pragma once
// What the window and page tests expect of each card family, written down
// apart from the family tables: a test built once per family checks the
// program against its row, so that a changed table fails a test instead of
// being read back by it.
#include <string_view>

#include "families/ThisFamily.h"

namespace qv::test {

struct ExpectedFamily {
    const char* name;
    const char16_t* deviceName;
    // Main window: the title while a usable card is there, the device
    // information's first line, and the menu commands that differ.
    const char16_t* titleSuffix;
    const char16_t* productLine;
    const char16_t* mainMenu[4];  // the items of commands 1 .. 4, null past the last
    int manualCommand;
    const char16_t* manualFile;  // under the program folder
    int aboutCommand;
    const char16_t* aboutName;   // the product named in the about box
    // Effect page: effect button 10000 + n for built-in effect n, then the
    // three device custom effects, then the user's twelve.
    int builtInEffects;
    int electricEffect;
    int girlVoiceEffect;          // brings the voice-change page forward
    int plusTenDbParams[2];       // the +10dB switches, at 7000 + id
    int firstCustomPreset[3];     // slot of the first custom preset of banks 1 .. 3
    const char16_t* presetFileFilter;
    bool keepsReverbScroll;       // the page writes the reverb view's origin back
    bool cloudListHasEcho;        // "回荡" heads the cloud effect list
    const char* cloudListBody;    // the catalogue's effect-list request
    // Sound page.
    const char16_t* moodFile;
    int renameCommand;            // of the pad menu
    bool soundKeys;               // pads go into the card's keys (the menu leads with them)
    int volumePopupLift;          // pixels above the button's half height
    bool recordsDownloadOfAFavourite;  // a sound fetched for the favourites that is one already
};

inline constexpr ExpectedFamily kExpectedDorbII{
    .name = "dorbII",
    .deviceName = u"Dorb II Pro",
    .titleSuffix = u" - Dorb Ⅱ Pro",
    .productLine = u"产品名称：Dorb Ⅱ Pro\n",
    .mainMenu = {u"设备信息", u"检查更新", u"使用手册", u"关于"},
    .manualCommand = 3,
    .manualFile = u"/Manuals/DorbⅡPro_UserManual.pdf",
    .aboutCommand = 4,
    .aboutName = u"Dorb Ⅱ Pro",
    .builtInEffects = 9,
    .electricEffect = 8,
    .girlVoiceEffect = 6,
    .plusTenDbParams = {43, 44},
    .firstCustomPreset = {7, 8, 5},
    .presetFileFilter = u"预设音效参数文件(*.data)",
    .keepsReverbScroll = false,
    .cloudListHasEcho = true,
    .cloudListBody = "genreId=7&pageNumber=1&pageSize=1000&categoryId=-2",
    .moodFile = u"DorbIIMoodcfg.ini",
    .renameCommand = 1007,
    .soundKeys = true,
    .volumePopupLift = 0,
    .recordsDownloadOfAFavourite = true,
};

inline constexpr ExpectedFamily kExpectedZenk{
    .name = "zenk",
    .deviceName = u"Zenk",
    .titleSuffix = u" - Zenk",
    .productLine = u"产品名称：Zenk\n",
    .mainMenu = {u"设备信息", u"检查更新", u"关于", nullptr},
    .manualCommand = 4,
    .manualFile = u"/Manuals/UserManual.pdf",
    .aboutCommand = 3,
    .aboutName = u"Zenk",
    .builtInEffects = 8,
    .electricEffect = 7,
    .girlVoiceEffect = 6,
    .plusTenDbParams = {45, 46},
    .firstCustomPreset = {5, 5, 5},
    .presetFileFilter = u"预设参数文件(*.data)",
    .keepsReverbScroll = true,
    .cloudListHasEcho = false,
    .cloudListBody = "genreId=1&pageNumber=1&pageSize=1000&categoryId=-2",
    .moodFile = u"ZenkMoodcfg.ini",
    .renameCommand = 1006,
    .soundKeys = false,
    .volumePopupLift = 2,
    .recordsDownloadOfAFavourite = false,
};

// The row of the family this test build serves.
inline const ExpectedFamily& Expected() {
    return std::string_view(ThisFamily().name) == kExpectedZenk.name ? kExpectedZenk : kExpectedDorbII;
}
inline bool IsZenkBuild() { return &Expected() == &kExpectedZenk; }

// Index of the first user effect's button, and the count of effect buttons.
inline int FirstUserButton() { return Expected().builtInEffects + 3; }
inline int EffectButtons() { return FirstUserButton() + 12; }
// The slot of custom preset n (0 .. 3) of a bank, and its button.
inline int CustomPresetSlot(int bank, int n) { return Expected().firstCustomPreset[bank - 1] + n; }
inline int CustomPresetButton(int bank, int n) { return 11000 + 100 * bank + CustomPresetSlot(bank, n); }

}  // namespace qv::test
