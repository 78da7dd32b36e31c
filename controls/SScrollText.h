#pragma once
// A label whose text scrolls to the left when it is wider than the control
// (tag "scrolltext"): one pixel every "speed" ms of the host's timeline, in
// an endless loop ("rolltype" 0), re-entering from the right edge (1), or
// running out once (other values). Text that fits stands still, aligned by
// "textAlign" ("left", "right", "top", "bottom", "center"). Out of sight it
// rests until it is drawn again.
#include "platform/ui/AttrTable.h"
#include "platform/ui/controls/SStatic.h"

namespace qv::controls {

class SScrollText : public qv::ui::SStatic, public qv::ui::ITimelineHandler {
    QV_CLASS_NAME(SScrollText, qv::ui::SStatic, u"scrolltext", qv::ui::kObjectWindow)
    QV_ATTRIBUTES(qv::ui::SStatic)

public:
    enum Align { kLeft = 0, kRight = 1, kTop = 2, kBottom = 3, kCenter = 4 };

    ~SScrollText() override;
    void SetWindowText(const qv::ui::SStringW& text) override;
    void OnLanguageChanged() override;

    bool IsScrolling() const { return m_textWidth > 0; }
    bool IsOnTimeline() const { return m_onTimeline; }
    int GetOffset() const { return m_offset; }
    int GetTextWidth() const { return m_textWidth; }

    void OnNextFrame() override;

protected:
    void OnSize(qv::ui::CSize size) override;
    void OnShowWindow(bool show) override;
    void OnDestroy() override;
    void DrawText(qv::ui::SRenderTarget& rt, const qv::ui::SStringW& text, qv::ui::CRect rc) override;

private:
    HRESULT SetTextAlignAttr(const qv::ui::SStringW& value, bool loading);
    // Measures the text and starts or stops scrolling.
    void Measure();
    void JoinTimeline();
    void LeaveTimeline();

    int m_speed = 20;
    int m_offset = 0;
    int m_textWidth = 0;  // 0 while the text fits
    int m_countdown = 0;
    int m_rollType = 0;
    int m_textAlign = kCenter;
    bool m_onTimeline = false;
};

}  // namespace qv::controls
