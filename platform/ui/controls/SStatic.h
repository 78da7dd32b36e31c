#pragma once
// A text label. Text with line breaks is drawn on several lines with the
// style's alignment; "lineSpacing" adds pixels between the lines the text
// breaks itself ('\n'), lines wrapped to the width keep the font's spacing.
#include "platform/ui/SWindow.h"

namespace qv::ui {

class SStatic : public SWindow {
    QV_CLASS_NAME(SStatic, SWindow, u"text", kObjectWindow)
    QV_ATTRIBUTES(SWindow)

public:
    bool TakesClicks() const override { return false; }
    CSize GetDesiredSize() override;
    int GetLineSpacing() const { return m_lineSpacing; }

protected:
    void DrawText(SRenderTarget& rt, const SStringW& text, CRect rc) override;

private:
    bool IsMultiLine(const SStringW& text) const;
    int m_lineSpacing = 0;
};

}  // namespace qv::ui
