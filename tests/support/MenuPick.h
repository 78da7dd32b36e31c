#pragma once
// Picks from the pop-up menu that is about to open, as the user does: once
// its top level shows, that level's items are recorded, then the items of a
// path are clicked in turn, each one but the last opening the sub-menu of
// the next; the menu is cancelled when the path is empty or an item is
// missing. The menu runs a loop of its own, so the pick is posted before the
// menu opens.
#include <string>
#include <utility>
#include <vector>

#include "platform/os/Types.h"

namespace qv::test {

using MenuItems = std::vector<std::pair<UINT, std::u16string>>;

// Posts the pick to the calling (UI) thread. top: receives the top level's
// items (id and text, separators left out); may be null.
void PickFromNextMenu(std::vector<UINT> path, MenuItems* top = nullptr);

}  // namespace qv::test
