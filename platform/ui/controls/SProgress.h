#pragma once
// A progress bar over a range of 32-bit values: "min", "max", "value",
// "vertical" (filled from the bottom), "bkgndSkin", "posSkin" and
// "showPercent". The value is always kept inside the range.
#include <optional>

#include "platform/ui/SWindow.h"

namespace qv::ui {

class SProgress : public SWindow {
    QV_CLASS_NAME(SProgress, SWindow, u"progress", kObjectWindow)
    QV_ATTRIBUTES(SWindow)

public:

    // Bounds the value to [min, max]; returns whether it changed.
    bool SetValue(int value);
    int GetValue() const { return m_value; }
    // A max below min is raised to min; the value is bounded again.
    void SetRange(int min, int max);
    void GetRange(int* min, int* max) const;
    int GetMin() const { return m_min; }
    int GetMax() const { return m_max; }
    bool IsVertical() const { return m_vertical; }

protected:
    void OnPaint(SRenderTarget& rt) override;

    ISkinObj* m_bkgndSkin = nullptr;
    ISkinObj* m_posSkin = nullptr;
    bool m_vertical = false;
    bool m_showPercent = false;

private:
    HRESULT SetMinAttr(const SStringW& value, bool loading);
    HRESULT SetMaxAttr(const SStringW& value, bool loading);
    HRESULT SetValueAttr(const SStringW& value, bool loading);
    // Bounds the layout's value again after min or max changed.
    void ApplyLoadedValue(bool loading);

    int m_min = 0;
    int m_max = 100;
    int m_value = 0;
    // The value as the layout wrote it: bounded again whenever the layout
    // sets min or max, so the order of the attributes does not matter.
    std::optional<int> m_loadedValue;
};

}  // namespace qv::ui
