#pragma once
// The headless backend: windows exist only as state and the host's offscreen
// image; tests inject input as messages and read pixels from the host.
#include <vector>

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
    void SetIcon(const std::vector<BitmapPtr>& sizes) override { m_icon = sizes; }
    void SetStyle(DWORD style) override { m_style = style; }
    void Present(const SBitmap& frame, const CRect& dirty) override;
    void Raise(bool activate) override;
    void SetOwner(INativeWindow* owner) override { m_owner = owner; }
    void SetCursor(CursorId cursor) override { m_cursor = cursor; }
    void EnableIme(bool enable) override { m_imeEnabled = enable; }

    DWORD GetStyle() const { return m_style; }
    int GetLastShowCmd() const { return m_lastShowCmd; }
    int GetPresentCount() const { return m_presents; }
    const CRect& GetLastDirty() const { return m_lastDirty; }
    // Raises count up across all headless windows: the highest is on top.
    unsigned GetZOrder() const { return m_zOrder; }
    int GetActivations() const { return m_activations; }
    INativeWindow* GetOwner() const { return m_owner; }
    CursorId GetCursor() const { return m_cursor; }
    const std::vector<BitmapPtr>& GetIcon() const { return m_icon; }
    bool IsImeEnabled() const { return m_imeEnabled; }

private:
    bool m_visible = false;
    bool m_iconic = false;
    CRect m_rect;
    SStringW m_title;
    std::vector<BitmapPtr> m_icon;
    DWORD m_style = 0;
    int m_lastShowCmd = -1;
    int m_presents = 0;
    CRect m_lastDirty;
    unsigned m_zOrder = 0;
    int m_activations = 0;
    INativeWindow* m_owner = nullptr;
    CursorId m_cursor = CursorId::Arrow;
    bool m_imeEnabled = true;
};

// One 1920 x 1080 display (work area without a 40-pixel panel at the
// bottom) unless a test sets others.
class HeadlessDisplay : public IDisplayBackend {
public:
    HeadlessDisplay();
    std::unique_ptr<INativeWindow> CreateNativeWindow() override { return std::make_unique<HeadlessWindow>(); }
    std::vector<DisplayArea> GetDisplays() const override { return m_displays; }
    CPoint GetCursorPos() const override { return m_cursor; }
    void SetCursorPos(CPoint pt) { m_cursor = pt; }
    // An empty list restores the default display.
    void SetDisplays(std::vector<DisplayArea> displays);

private:
    std::vector<DisplayArea> m_displays;
    CPoint m_cursor;
};

}  // namespace qv::ui
