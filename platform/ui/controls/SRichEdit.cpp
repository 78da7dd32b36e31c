#include "platform/ui/controls/SRichEdit.h"

#include <algorithm>

#include "platform/ui/AttrParse.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SSkin.h"
#include "platform/ui/controls/ControlLook.h"

namespace qv::ui {
namespace {
bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
}  // namespace

SRichEdit::SRichEdit() {
    SetAttribute(u"focusable", u"1", true);
    m_events.AddEvent(EVT_RE_NOTIFY, EventRENotify::EventName);
}

std::span<const AttrRow> SRichEdit::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrMember<&SRichEdit::m_maxLength, 0>(u"maxBuf", AttrEffect::NoRepaint),
        AttrMember<&SRichEdit::m_notifyChange>(u"notifyChange", AttrEffect::NoRepaint),
        AttrMember<&SRichEdit::m_wantReturn>(u"wantReturn", AttrEffect::NoRepaint),
        AttrCall<&SRichEdit::SetTextAttr>(u"text"),
    };
    return kRows;
}

HRESULT SRichEdit::SetTextAttr(const SStringW& value, bool) {
    SetWindowText(STrText(value).GetText());
    return S_OK;
}

BOOL SRichEdit::InitFromXml(pugi::xml_node node) {
    BOOL ok = SWindow::InitFromXml(node);
    // Text written inside the element lands in the base's caption.
    if (m_content.empty()) {
        SStringW inner = SWindow::GetWindowText();
        if (!inner.IsEmpty()) SetWindowText(inner);
    }
    return ok;
}

SStringW SRichEdit::GetWindowText(bool raw) const {
    (void)raw;
    return SStringW(m_content);
}

void SRichEdit::SetWindowText(const SStringW& text) {
    m_content = text.str();
    // A line edit keeps the first line only.
    if (size_t nl = m_content.find_first_of(u"\r\n"); nl != std::u16string::npos) m_content.resize(nl);
    m_caret = m_anchor = static_cast<int>(m_content.size());
    m_pendingHigh = 0;
    EnsureCaretVisible();
    Invalidate();
}

// ---------------------------------------------------------------- selection

void SRichEdit::SetSel(int start, int end) {
    int len = static_cast<int>(m_content.size());
    if (start < 0) {
        m_anchor = m_caret = std::max(m_anchor, m_caret);
    } else {
        if (end < 0 || end > len) end = len;
        start = std::min(start, len);
        // Positions inside a surrogate pair move to its start.
        if (start > 0 && start < len && IsLow(m_content[start])) --start;
        if (end > 0 && end < len && IsLow(m_content[end])) --end;
        m_anchor = start;
        m_caret = end;
    }
    EnsureCaretVisible();
    Invalidate();
}

void SRichEdit::GetSel(int& start, int& end) const {
    start = std::min(m_anchor, m_caret);
    end = std::max(m_anchor, m_caret);
}

SStringW SRichEdit::GetSelText() const {
    int s, e;
    GetSel(s, e);
    return SStringW(m_content.substr(s, e - s));
}

int SRichEdit::PrevPos(int pos) const {
    if (pos <= 0) return 0;
    --pos;
    if (pos > 0 && IsLow(m_content[pos]) && IsHigh(m_content[pos - 1])) --pos;
    return pos;
}

int SRichEdit::NextPos(int pos) const {
    int len = static_cast<int>(m_content.size());
    if (pos >= len) return len;
    ++pos;
    if (pos < len && IsLow(m_content[pos]) && IsHigh(m_content[pos - 1])) ++pos;
    return pos;
}

void SRichEdit::MoveCaret(int pos, bool keepAnchor) {
    m_caret = std::clamp(pos, 0, static_cast<int>(m_content.size()));
    if (!keepAnchor) m_anchor = m_caret;
    EnsureCaretVisible();
    Invalidate();
}

// ---------------------------------------------------------------- editing

void SRichEdit::DeleteRange(int start, int end) {
    m_content.erase(start, end - start);
    m_caret = m_anchor = start;
}

bool SRichEdit::InsertText(const SStringW& text) {
    std::u16string add = text.str();
    std::erase_if(add, [](char16_t c) { return c == u'\r' || c == u'\n'; });
    int s, e;
    GetSel(s, e);
    int room = m_maxLength > 0 ? m_maxLength - (static_cast<int>(m_content.size()) - (e - s)) : static_cast<int>(add.size());
    if (room < static_cast<int>(add.size())) return false;
    if (add.empty() && s == e) return true;
    DeleteRange(s, e);
    m_content.insert(static_cast<size_t>(s), add);
    m_caret = m_anchor = s + static_cast<int>(add.size());
    EnsureCaretVisible();
    Invalidate();
    NotifyChange();
    return true;
}

void SRichEdit::NotifyChange() {
    if (!m_notifyChange) return;
    EventRENotify e(this);
    e.iNotify = EN_CHANGE;
    FireEvent(e);
}

bool SRichEdit::OnChar(char16_t ch) {
    if (IsHigh(ch)) {
        m_pendingHigh = ch;
        return true;
    }
    if (IsLow(ch)) {
        if (!m_pendingHigh) return true;  // half a pair: dropped
        char16_t pair[] = {m_pendingHigh, ch, 0};
        m_pendingHigh = 0;
        InsertText(SStringW(pair));
        return true;
    }
    m_pendingHigh = 0;
    if (ch < 0x20 || ch == 0x7F) return false;  // control characters come as keys
    char16_t one[] = {ch, 0};
    InsertText(SStringW(one));
    return true;
}

bool SRichEdit::OnKeyDown(UINT vk, UINT repeat, UINT flags) {
    int s, e;
    GetSel(s, e);
    switch (vk) {
    case VK_LEFT: MoveCaret(s != e ? s : PrevPos(m_caret), false); return true;
    case VK_RIGHT: MoveCaret(s != e ? e : NextPos(m_caret), false); return true;
    case VK_HOME: MoveCaret(0, false); return true;
    case VK_END: MoveCaret(static_cast<int>(m_content.size()), false); return true;
    case VK_BACK:
    case VK_DELETE:
        if (s == e) {
            if (vk == VK_BACK) s = PrevPos(s);
            else e = NextPos(e);
        }
        if (s == e) return true;
        DeleteRange(s, e);
        EnsureCaretVisible();
        Invalidate();
        NotifyChange();
        return true;
    default: return SWindow::OnKeyDown(vk, repeat, flags);
    }
}

// ---------------------------------------------------------------- mouse

void SRichEdit::SetCompositionText(const SStringW& text) {
    m_composition = text.str();
    Invalidate();
}

void SRichEdit::OnKillFocus() {
    m_pendingHigh = 0;
    m_composition.clear();
    Invalidate();
}

int SRichEdit::PrefixWidth(const std::u16string& text, int count) const {
    if (count <= 0) return 0;
    SStringW prefix(text.substr(0, static_cast<size_t>(count)));
    return SRenderTarget::MeasureTextWith(prefix, GetFont()).cx;
}

int SRichEdit::TextLeft(const std::u16string& shown) const {
    const CRect client = GetClientRect();
    const int width = PrefixWidth(shown, static_cast<int>(shown.size()));
    if (width < client.Width()) {
        if (GetTextAlign() & DT_CENTER) return client.left + (client.Width() - width) / 2;
        if (GetTextAlign() & DT_RIGHT) return client.right - width;
    }
    return client.left - m_scrollX;
}

int SRichEdit::HitTest(CPoint pt) const {
    int x = pt.x - TextLeft(m_content);
    int best = 0, bestDist = std::abs(x);
    for (int pos = NextPos(0), prev = 0; pos != prev; prev = pos, pos = NextPos(pos)) {
        int dist = std::abs(TextWidth(pos) - x);
        if (dist < bestDist) {
            best = pos;
            bestDist = dist;
        }
    }
    return best;
}

void SRichEdit::OnLButtonDown(CPoint pt, UINT flags) {
    (void)flags;
    SetFocus();
    SetCapture();
    m_selecting = true;
    MoveCaret(HitTest(pt), false);
}

void SRichEdit::OnMouseMove(CPoint pt, UINT flags) {
    (void)flags;
    if (m_selecting) MoveCaret(HitTest(pt), true);
}

void SRichEdit::OnLButtonUp(CPoint pt, UINT flags) {
    (void)pt;
    (void)flags;
    m_selecting = false;
    ReleaseCapture();
}

void SRichEdit::OnLButtonDblClk(CPoint pt, UINT flags) {
    (void)pt;
    (void)flags;
    SetFocus();
    SetSel(0, -1);
}

// ---------------------------------------------------------------- painting

void SRichEdit::OnSize(CSize size) {
    SWindow::OnSize(size);
    EnsureCaretVisible();
}

void SRichEdit::EnsureCaretVisible() {
    int width = GetClientRect().Width();
    if (width <= 0) {
        m_scrollX = 0;
        return;
    }
    int x = TextWidth(m_caret);
    if (x < m_scrollX) m_scrollX = x;
    else if (x > m_scrollX + width - 1) m_scrollX = x - width + 1;
    m_scrollX = std::max(0, std::min(m_scrollX, std::max(0, TextWidth(static_cast<int>(m_content.size())) - width + 1)));
}

void SRichEdit::OnPaint(SRenderTarget& rt) {
    CRect rc = GetWindowRect();
    if (GetSkin()) GetSkin()->Draw(rt, rc, SkinFrameForState(GetState(), GetSkin()->GetStates()));
    else rt.FillSolidRect(rc, look::kPanel);
    CRect client = GetClientRect();
    rt.PushClipRect(client);
    // The composition shows inside the text at the caret, underlined.
    std::u16string shown = m_content;
    shown.insert(static_cast<size_t>(m_caret), m_composition);
    int caretAt = m_caret + static_cast<int>(m_composition.size());
    const int left = TextLeft(shown);
    int s, e;
    GetSel(s, e);
    if (s != e && IsFocused()) {
        rt.FillSolidRect(CRect(left + TextWidth(s), client.top, left + TextWidth(e), client.bottom), look::kSelection);
    }
    if (!shown.empty()) {
        CRect text = client;
        text.left = left;
        text.right = std::max(text.right, text.left + PrefixWidth(shown, static_cast<int>(shown.size())) + 1);
        SFont old = rt.SelectFont(GetFont());
        COLORREF oldColor = rt.SetTextColor(GetTextColor());
        rt.DrawText(SStringW(shown), text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        rt.SetTextColor(oldColor);
        rt.SelectFont(old);
    }
    SPen oldPen = rt.SelectPen(SPen{GetTextColor(), 1, PenStyle::Solid});
    int h = std::min(client.Height(), GetFontSize() + 4);
    float top = static_cast<float>(client.top + (client.Height() - h) / 2);
    if (!m_composition.empty()) {
        float from = static_cast<float>(left + TextWidth(m_caret));
        float to = static_cast<float>(left + PrefixWidth(shown, caretAt));
        rt.DrawLine({from, top + static_cast<float>(h) - 0.5f}, {to, top + static_cast<float>(h) - 0.5f});
    }
    if (IsFocused()) {
        float x = static_cast<float>(left + PrefixWidth(shown, caretAt)) + 0.5f;
        rt.DrawLine({x, top}, {x, top + static_cast<float>(h)});
    }
    rt.SelectPen(oldPen);
    rt.PopClip();
}

}  // namespace qv::ui
