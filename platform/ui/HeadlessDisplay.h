#pragma once
// The headless backend: windows exist only as state and the host's offscreen
// image; tests inject input as messages and read pixels from the host.
#include "platform/ui/IDisplayBackend.h"

namespace qv::ui {

class HeadlessWindow : public INativeWindow {
public:
    void Show(int showCmd) override;
    bool IsVisible() const override { return m_visible; }
    bool IsIconic() const override { return m_iconic; }
    void SetRect(const CRect& rc) override { m_rect = rc; }
    CRect GetRect() const override { return m_rect; }
    void SetTitle(const SStringW& title) override { m_title = title; }
    void SetStyle(DWORD style) override { m_style = style; }
    DWORD GetStyle() const { return m_style; }
    int GetLastShowCmd() const { return m_lastShowCmd; }
    void Present(const SBitmap& frame, const CRect& dirty) override;

    int GetPresentCount() const { return m_presents; }
    const CRect& GetLastDirty() const { return m_lastDirty; }

private:
    bool m_visible = false;
    bool m_iconic = false;
    CRect m_rect;
    SStringW m_title;
    DWORD m_style = 0;
    int m_lastShowCmd = -1;
    int m_presents = 0;
    CRect m_lastDirty;
};

class HeadlessDisplay : public IDisplayBackend {
public:
    std::unique_ptr<INativeWindow> CreateNativeWindow() override { return std::make_unique<HeadlessWindow>(); }
    CSize GetScreenSize() const override { return {1920, 1080}; }
    CRect GetWorkArea() const override { return {0, 0, 1920, 1040}; }
    CPoint GetCursorPos() const override { return m_cursor; }
    void SetCursorPos(CPoint pt) { m_cursor = pt; }

private:
    CPoint m_cursor;
};

}  // namespace qv::ui
