#include "platform/ui/controls/SStatic.h"

#include <algorithm>
#include <vector>

#include "platform/ui/AttrParse.h"
#include "platform/ui/SRenderTarget.h"

namespace qv::ui {
namespace {

// A line break at the very end ends the last line: it starts no empty one.
std::vector<SStringW> SplitLines(const SStringW& text) {
    std::u16string_view s = text.str();
    if (!s.empty() && s.back() == u'\n') s.remove_suffix(1);
    std::vector<SStringW> lines;
    size_t start = 0;
    while (true) {
        const size_t nl = s.find(u'\n', start);
        std::u16string line(s.substr(start, nl == std::u16string_view::npos ? std::u16string_view::npos : nl - start));
        if (!line.empty() && line.back() == u'\r') line.pop_back();
        lines.emplace_back(line);
        if (nl == std::u16string_view::npos) break;
        start = nl + 1;
    }
    return lines;
}

}  // namespace

std::span<const AttrRow> SStatic::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrMember<&SStatic::m_lineSpacing, 0>(u"lineSpacing", AttrEffect::Relayout),
    };
    return kRows;
}

bool SStatic::IsMultiLine(const SStringW& text) const { return text.str().find(u'\n') != std::u16string::npos; }

CSize SStatic::GetDesiredSize() {
    CSize size = SWindow::GetDesiredSize();
    SStringW text = DisplayText(GetWindowText());
    if (!IsMultiLine(text)) return size;
    // Lines measured one by one, so the spacing between them counts.
    SFont font = GetFont();
    int padX = m_padding.left + m_padding.right, padY = m_padding.top + m_padding.bottom;
    int wrap = (GetTextAlign() & DT_WORDBREAK) ? std::max(0, size.cx - padX) : 0;
    CSize text_size;
    std::vector<SStringW> lines = SplitLines(text);
    for (const SStringW& line : lines) {
        CSize s = SRenderTarget::MeasureTextWith(line.IsEmpty() ? SStringW(u" ") : line, font, wrap);
        text_size.cx = std::max(text_size.cx, s.cx);
        text_size.cy += s.cy;
    }
    text_size.cy += m_lineSpacing * static_cast<int>(lines.size() - 1);
    return CSize(std::max(size.cx, text_size.cx + padX), text_size.cy + padY);
}

void SStatic::DrawText(SRenderTarget& rt, const SStringW& text, CRect rc) {
    if (!IsMultiLine(text)) {
        SWindow::DrawText(rt, text, rc);
        return;
    }
    UINT align = GetTextAlign();
    UINT lineFlags = (align & (DT_CENTER | DT_RIGHT)) | ((align & DT_WORDBREAK) ? DT_WORDBREAK : DT_SINGLELINE);
    SFont old = rt.SelectFont(GetFont());
    COLORREF oldColor = rt.SetTextColor(GetTextColor());
    std::vector<SStringW> lines = SplitLines(text);
    std::vector<int> heights;
    int total = 0;
    for (const SStringW& line : lines) {
        CSize s = rt.MeasureText(line.IsEmpty() ? SStringW(u" ") : line, (align & DT_WORDBREAK) ? rc.Width() : 0);
        heights.push_back(s.cy);
        total += s.cy;
    }
    total += m_lineSpacing * static_cast<int>(lines.size() - 1);
    // Text taller than its rectangle starts at the top, so that its first
    // lines show whole.
    int y = rc.top;
    if (align & DT_VCENTER) y = rc.top + std::max(0, (rc.Height() - total) / 2);
    else if (align & DT_BOTTOM) y = rc.top + std::max(0, rc.Height() - total);
    for (size_t i = 0; i < lines.size(); ++i) {
        CRect line(rc.left, y, rc.right, y + heights[i]);
        if (!lines[i].IsEmpty()) rt.DrawText(lines[i], line, lineFlags);
        y += heights[i] + m_lineSpacing;
    }
    rt.SetTextColor(oldColor);
    rt.SelectFont(old);
}

}  // namespace qv::ui
