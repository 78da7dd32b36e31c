#pragma once
// The timed tip in which the input dialogs show why a value was refused, its
// bottom left corner at a screen point. One at a time: a new tip replaces
// the shown one. UI thread only.
#include <functional>

#include "platform/os/Types.h"
#include "platform/ui/Geometry.h"
#include "platform/ui/SStringW.h"

using InputTipPresenter = std::function<void(qv::ui::CPoint bottomLeft, const qv::ui::SStringW& text, UINT ms)>;

void ShowInputTip(qv::ui::CPoint bottomLeft, const qv::ui::SStringW& text, UINT ms);
// Hides a shown tip and frees its window (before the UI goes).
void HideInputTip();
// Replaces how tips are shown (tests); null restores the tip window.
void SetInputTipPresenter(InputTipPresenter presenter);
