#include "controls/SScrollText.h"

#include "platform/ui/SRenderTarget.h"

namespace qv::controls {

using namespace qv::ui;

namespace {

constexpr int kFrameMs = 10;

struct AlignName {
    const char16_t* name;
    int align;
};
constexpr AlignName kAligns[] = {{u"left", SScrollText::kLeft},     {u"right", SScrollText::kRight},
                                 {u"top", SScrollText::kTop},       {u"bottom", SScrollText::kBottom},
                                 {u"center", SScrollText::kCenter}};

}  // namespace

std::span<const AttrRow> SScrollText::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrMember<&SScrollText::m_speed>(u"speed", AttrEffect::NoRepaint),
        AttrMember<&SScrollText::m_rollType>(u"rolltype", AttrEffect::NoRepaint),
        AttrCall<&SScrollText::SetTextAlignAttr>(u"textAlign"),
    };
    return kRows;
}

SScrollText::~SScrollText() { LeaveTimeline(); }

HRESULT SScrollText::SetTextAlignAttr(const SStringW& value, bool) {
    for (const AlignName& a : kAligns) {
        if (value == a.name) {
            m_textAlign = a.align;
            return S_OK;
        }
    }
    return E_FAIL;
}

void SScrollText::SetWindowText(const SStringW& text) {
    SStatic::SetWindowText(text);
    Measure();
}

void SScrollText::OnLanguageChanged() {
    SStatic::OnLanguageChanged();
    Measure();
}

void SScrollText::OnSize(CSize size) {
    SStatic::OnSize(size);
    Measure();
}

void SScrollText::Measure() {
    const SStringW text = DisplayText(GetWindowText());
    const int width = text.IsEmpty() ? 0 : SRenderTarget::MeasureTextWith(text, GetFont()).cx;
    const int clientWidth = GetClientRect().Width();
    if (width <= clientWidth) {
        m_offset = m_textWidth = 0;
        LeaveTimeline();
        return;
    }
    m_textWidth = width;
    m_offset = m_rollType == 1 ? -clientWidth : 0;
    if (IsVisible(true)) JoinTimeline();
    else LeaveTimeline();
}

void SScrollText::JoinTimeline() {
    m_countdown = m_speed;
    if (m_onTimeline) return;
    if (ISwndContainer* c = GetContainer()) m_onTimeline = c->RegisterTimelineHandler(this);
}

void SScrollText::LeaveTimeline() {
    if (!m_onTimeline) return;
    m_onTimeline = false;
    if (ISwndContainer* c = GetContainer()) c->UnregisterTimelineHandler(this);
}

void SScrollText::OnShowWindow(bool show) {
    SStatic::OnShowWindow(show);
    if (!IsScrolling()) return;
    if (show) JoinTimeline();
    else LeaveTimeline();
}

void SScrollText::OnDestroy() {
    LeaveTimeline();
    SStatic::OnDestroy();
}

void SScrollText::OnNextFrame() {
    // Out of sight (a hidden parent too): rest until drawn again.
    if (!IsVisible(true)) {
        LeaveTimeline();
        return;
    }
    m_countdown -= kFrameMs;
    if (m_countdown > 0) return;
    m_countdown = m_speed;
    if (!IsScrolling()) return;
    ++m_offset;
    // Once the text has left on the left it starts again.
    if (m_offset >= m_textWidth) {
        if (m_rollType == 0) m_offset = 0;
        else if (m_rollType == 1) m_offset = -GetClientRect().Width();
    }
    Invalidate();
}

void SScrollText::DrawText(SRenderTarget& rt, const SStringW& text, CRect rc) {
    const SFont oldFont = rt.SelectFont(GetFont());
    const COLORREF oldColor = rt.SetTextColor(IsDisabled(true) ? GetDisabledTextColor() : GetTextColor());
    const CRect client = GetClientRect();
    if (IsScrolling()) {
        if (!m_onTimeline) JoinTimeline();
        rt.PushClipRect(client);
        CRect line(client.left - m_offset, client.top, client.left - m_offset + m_textWidth, client.bottom);
        rt.DrawText(text, line, DT_SINGLELINE | DT_VCENTER);
        // The loop closes on itself: a second copy follows the first.
        if (m_rollType == 0 && m_textWidth - m_offset < client.Width()) {
            line.Offset(m_textWidth, 0);
            rt.DrawText(text, line, DT_SINGLELINE | DT_VCENTER);
        }
        rt.PopClip();
    } else {
        UINT flags = DT_SINGLELINE;
        switch (m_textAlign) {
        case kRight: flags |= DT_RIGHT; break;
        case kBottom: flags |= DT_BOTTOM; break;
        case kCenter: flags |= DT_CENTER | DT_VCENTER; break;
        default: break;
        }
        rt.DrawText(text, rc, flags);
    }
    rt.SetTextColor(oldColor);
    rt.SelectFont(oldFont);
}

}  // namespace qv::controls
