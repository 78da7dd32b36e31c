#pragma once
// Which plug-in the host starts with.
#include <functional>
#include <string_view>

#include "host/DeviceTable.h"

// Whether a card with the row's ids is attached.
using CardPresentFn = std::function<bool(const DeviceRow& row)>;

// The row whose plug-in runs first. A present card picks its row in table
// order; an update-mode card, which either family may be, is taken only when
// no other known card is present, and then goes to the plug-in that
// "modulecfg.ini" names (the family last used), else to its table row.
// Without any card: the row the name matches (the last such row), else row 0.
// lastPluginFile is the stored name; "dorbIV.so" counts as "dorbII.so".
const DeviceRow& ChooseStartRow(std::u16string_view lastPluginFile,
                                const CardPresentFn& cardPresent);
