#pragma once
// Registers the standard controls with a window factory by their layout tags.
#include "platform/ui/SWindowFactory.h"

namespace qv::ui {

void RegisterStandardControls(SWindowFactory& factory);

}  // namespace qv::ui
