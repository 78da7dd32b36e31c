#pragma once
// The ids of the skin's controls that are named without an explicit id; the
// event maps test sender ids against these numbers.
#include "platform/ui/SApplication.h"

constexpr int kNamedIdCount = 89;
extern const qv::ui::NamedId kNamedIds[kNamedIdCount];
