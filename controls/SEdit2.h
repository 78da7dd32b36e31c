#pragma once
// The value edit box beside knobs and sliders (layout tag "edit2"): an edit
// whose mouse wheel, Up and Down keys and Enter ask for a value step
// (EventEditValueChanging), which selects all its text on a double click and
// can draw a focus skin of its own.
#include "platform/ui/EventArgs.h"
#include "platform/ui/SSkin.h"
#include "platform/ui/SWindowFactory.h"
#include "platform/ui/controls/SEdit.h"

namespace qv::controls {

constexpr int EVT_EDIT_VALUE_CHANGING = 29101;

QV_EVENT_BEGIN(EventEditValueChanging, EVT_EDIT_VALUE_CHANGING, u"on_edit_valuechanging")
    int nStep = 0;  // +1, -1, or 0 to commit the text
QV_EVENT_END

class SEdit2 : public qv::ui::SEdit {
    QV_CLASS_NAME(SEdit2, qv::ui::SEdit, u"edit2", qv::ui::kObjectWindow)
    // "focusSkin": a skin of the pool drawn under the text while focused.
    QV_ATTRIBUTES(qv::ui::SEdit)

public:
    bool OnKeyDown(UINT vk, UINT repeat, UINT flags) override;
    void OnLButtonDblClk(qv::ui::CPoint pt, UINT flags) override;
    void OnMouseWheel(int delta, qv::ui::CPoint pt) override;
    qv::ui::ISkinObj* GetFocusSkin() const { return m_focusSkin; }

protected:
    void OnPaint(qv::ui::SRenderTarget& rt) override;
    void DrawFocus(qv::ui::SRenderTarget& rt) override;

private:
    HRESULT SetFocusSkinAttr(const qv::ui::SStringW& value, bool loading);
    void FireValueChanging(int step);

    qv::ui::ISkinObj* m_focusSkin = nullptr;
};

// Registers "edit2" with the window factory.
void RegisterEdit2(qv::ui::SWindowFactory& factory);

}  // namespace qv::controls
