#pragma once
// The small value popup of the sliders: one top-most, no-activate popup
// window shared by every slider that shows its value, kept alive by their
// references. It shows one text (word-wrapped within 500 pixels) in a
// bordered box, moved inside the display's work area.
//
// UI thread only. The last reference destroys the window, so no popup
// outlives the sliders (and with them the plug-in's UI).
#include "platform/ui/CSimpleWnd.h"

namespace qv::controls {

class SSimpleToolTip : public qv::ui::CSimpleWnd {
public:
    // The shared popup, created (without a window yet) when none exists.
    static SSimpleToolTip* GetShared();
    // The shared popup when one exists, else null.
    static SSimpleToolTip* Current();

    // The first reference creates the window; returns the new count.
    int AddRef();
    // The last reference destroys the window and the object.
    int Release();
    int GetRefCount() const { return m_refs; }

    // A non-empty text is shown at the window's current top-left corner,
    // sized to it; an empty text hides the popup.
    void SetText(const qv::ui::SStringW& text);
    const qv::ui::SStringW& GetText() const { return m_text; }
    void MoveTo(qv::ui::CPoint screenPt);
    void Hide();

protected:
    void OnPaint(qv::ui::SRenderTarget& rt) override;

private:
    SSimpleToolTip() = default;
    ~SSimpleToolTip() override = default;
    bool EnsureWindow();

    qv::ui::SStringW m_text;
    int m_refs = 0;
};

}  // namespace qv::controls
