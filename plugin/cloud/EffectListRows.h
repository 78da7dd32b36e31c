#pragma once
// What both effect lists' rows share: building a row from its template and
// filling its name and use button.
#include <cstdint>

#include <pugixml.hpp>

#include "platform/ui/SStringW.h"

namespace qv::ui {
class SWindow;
}
class CWorkSpace;
class IEffectListPage;

// "col%d" with the column + 1.
qv::ui::SStringW EffectListColumnName(int column);
// Builds the row from the template when it has no children yet.
void EnsureRowBuilt(qv::ui::SWindow* row, pugi::xml_node xmlTemplate);
void SetRowName(qv::ui::SWindow* row, const qv::ui::SStringW& name);
// The use button: its id as user data, its command to the page, checked
// with "使用中" for the current effect, else "使用".
void BindUseButton(qv::ui::SWindow* row, std::int32_t effectId, bool shown, CWorkSpace& workspace,
                   IEffectListPage* page, const void* owner);
// The workspace's current effect id (0 without a parameter model).
std::int32_t CurrentEffectId(CWorkSpace& workspace);
