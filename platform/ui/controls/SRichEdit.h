#pragma once
// A single-line text edit: caret, selection, a maximum length, typed text
// (WM_CHAR, or text committed by the input method through InsertText).
//
// Lengths and positions count UTF-16 units; a surrogate pair is never split.
// Text narrower than the edit is placed by "align" (left, center, right);
// wider text scrolls to keep the caret in sight.
//
// With "notifyChange" every change made by the user (typing, deleting)
// fires event 8101 with EN_CHANGE; text set by code does not, so a handler
// may write the text back without starting a loop. The caret does not
// blink, so an idle edit costs no wake-ups.
#include <string>

#include "platform/ui/SWindow.h"

namespace qv::ui {

constexpr int EN_CHANGE = 0x0300;

class SRichEdit : public SWindow {
    QV_CLASS_NAME(SRichEdit, SWindow, u"richedit", kObjectWindow)
    QV_ATTRIBUTES(SWindow)

public:
    SRichEdit();
    BOOL InitFromXml(pugi::xml_node node) override;

    SStringW GetWindowText(bool raw = false) const override;
    // Replaces the text (not bounded by the maximum length), caret at the end.
    void SetWindowText(const SStringW& text) override;

    // Selects [start, end); end -1 means the end of the text, start -1 removes
    // the selection leaving the caret at the end of it.
    void SetSel(int start, int end);
    void GetSel(int& start, int& end) const;
    SStringW GetSelText() const;
    int GetCaretPos() const { return m_caret; }
    // Replaces the selection as typed text; false when the maximum length
    // leaves no room (nothing changes then).
    bool InsertText(const SStringW& text);
    // 0: no limit.
    void SetMaxLength(int maxLength) { m_maxLength = maxLength < 0 ? 0 : maxLength; }
    int GetMaxLength() const { return m_maxLength; }
    bool WantsReturn() const { return m_wantReturn; }
    // The input method's text being composed, shown underlined at the caret
    // until it is committed (it then arrives as typed characters) or
    // cancelled; empty ends the composition. It is not part of the text.
    void SetCompositionText(const SStringW& text) override;
    SStringW GetCompositionText() const { return SStringW(m_composition); }

    void OnLButtonDown(CPoint pt, UINT flags) override;
    void OnLButtonDblClk(CPoint pt, UINT flags) override;
    void OnMouseMove(CPoint pt, UINT flags) override;
    void OnLButtonUp(CPoint pt, UINT flags) override;
    void OnCaptureLost() override { m_selecting = false; }
    bool OnKeyDown(UINT vk, UINT repeat, UINT flags) override;
    bool OnChar(char16_t ch) override;
    void OnKillFocus() override;

    // The caret position nearest to the point.
    int HitTest(CPoint pt) const;

protected:
    void OnPaint(SRenderTarget& rt) override;
    void OnSize(CSize size) override;
    // Fires 8101 when "notifyChange" is set.
    virtual void NotifyChange();

private:
    HRESULT SetTextAttr(const SStringW& value, bool loading);
    int TextWidth(int count) const { return PrefixWidth(m_content, count); }
    // Where the shown text begins, in host coordinates.
    int TextLeft(const std::u16string& shown) const;
    int PrefixWidth(const std::u16string& text, int count) const;
    void MoveCaret(int pos, bool keepAnchor);
    void DeleteRange(int start, int end);
    void EnsureCaretVisible();
    int PrevPos(int pos) const;
    int NextPos(int pos) const;

    std::u16string m_content;
    std::u16string m_composition;
    int m_caret = 0;
    int m_anchor = 0;  // the selection runs between the anchor and the caret
    int m_maxLength = 0;
    int m_scrollX = 0;
    bool m_notifyChange = false;
    bool m_wantReturn = false;
    bool m_selecting = false;
    char16_t m_pendingHigh = 0;  // first half of a surrogate pair typed as two chars
};

}  // namespace qv::ui
