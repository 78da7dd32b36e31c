#pragma once
// What a pad's context menu offers, by the kind of pad and the family: the
// items the page inserts into the family's pad menu, in order. The menu's
// choice comes back to the page as WM_COMMAND with the item's id.
#include <vector>

#include "families/FamilyData.h"
#include "platform/os/Types.h"

namespace qv::ui {
class SMenu;
}

enum PadMenuCommand : UINT {
    kPadCmdSendSlot1 = 110,  // 110 .. 112: the card's keys I .. III
    kPadCmdSendSlot3 = 112,
    kPadCmdAddFavourite = 1000,
    kPadCmdRemoveFavourite = 1001,
    kPadCmdSetHotKey = 1002,
    kPadCmdDeleteHotKey = 1003,
    kPadCmdEditHotKey = 1004,
    kPadCmdDeleteSound = 1005,
    // The rename command is the family's (FamilySoundPageData::renameCommand).
};

struct PadMenuItem {
    UINT id;
    const char16_t* text;
};

// The items of the menu of pad padId (empty: no menu opens). hasHotKey: the
// favourite carries a hotkey.
std::vector<PadMenuItem> PadMenuItems(const FamilySoundPageData& family, int padId, bool hasHotKey);

// Loads the family's pad menu and inserts the pad's items where the family
// puts them, each in white under the pointer. False (no menu) for a pad
// without items or when the menu resource cannot be loaded.
bool LoadPadMenu(qv::ui::SMenu& menu, const FamilySoundPageData& family, int padId, bool hasHotKey);
