#pragma once
// A host window's native window on SDL2: borderless (the skin draws the
// frame), hidden until shown. Finished frames are kept in a copy of which
// only the dirty part is refreshed and sent to the window's surface. Its input goes to the
// host's handle as posted Windows messages.
#include <SDL_video.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "platform/ui/IDisplayBackend.h"
#include "platform/ui/sdl/SdlInputTranslator.h"
#include "platform/ui/sdl/X11PointerHold.h"
#include "platform/ui/sdl/WindowShape.h"

namespace qv::ui::sdl {

class SdlVideoSession;

class SdlWindow : public INativeWindow {
public:
    // Null when SDL cannot make the window.
    static std::unique_ptr<SdlWindow> Create(std::shared_ptr<SdlVideoSession> session);
    ~SdlWindow() override;
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    void Show(int showCmd) override;
    bool IsVisible() const override { return m_visible; }
    bool IsIconic() const override { return m_iconic; }
    void SetRect(const CRect& rc) override;
    CRect GetRect() const override { return m_rect; }
    void SetTitle(const SStringW& title) override;
    // _NET_WM_ICON with every size.
    void SetIcon(const std::vector<BitmapPtr>& sizes) override;
    // HostStyle_* bits: top-most, tool window, no activation, never shown.
    void SetStyle(DWORD style) override;
    DWORD GetStyle() const { return m_style; }
    // Shown without activation (by style or by SW_SHOWNOACTIVATE): a popup
    // that closes when the application loses the focus.
    bool IsNoActivatePopup() const;
    void Present(const SBitmap& frame, const CRect& dirty) override;
    void Raise(bool activate) override;
    // WM_TRANSIENT_FOR: the window manager keeps it above its owner.
    void SetOwner(INativeWindow* owner) override;
    void SetCursor(CursorId cursor) override;
    // Off: the input method's compositions are not passed on; committed text
    // still arrives as characters.
    void EnableIme(bool enable) override { m_input.EnableComposition(enable); }
    void HoldPointer(bool hold) override;
    // From the session after each batch of events: a hold not yet taken (the
    // window was not viewable yet, or another client had the pointer) is
    // tried again.
    void KeepPointerHeld();

    // Where input goes: the host window's handle (null: nowhere).
    void SetInputTarget(HWND host) override { m_target = host; }
    HWND GetInputTarget() const { return m_target; }
    void SetTopMost(bool topMost);
    // The X11 window id, for tests that look at the screen.
    unsigned long GetX11Window() const;

    // From the session: one SDL event of this window.
    void OnSdlEvent(const SDL_Event& event);
    // While a button is held: a motion for a pointer that moved with no
    // motion reported (SDL reports none while the window keeps the
    // pointer's place in it, as a caption drag does).
    void FollowPointer();
    // From the session, before SDL's own event for it: the X server reports
    // a button pressed or released with the pointer at `screen`. A drag
    // starts from the press; on the release it is first brought there, as
    // its last motion may not have been reported.
    void OnButtonPress(CPoint screen);
    void OnButtonRelease(CPoint screen);

private:
    SdlWindow(std::shared_ptr<SdlVideoSession> session, SDL_Window* window);
    void Deliver(InputMessage& msg);
    // A motion while a button is held, with the pointer at `screen`.
    void DeliverHeldMotion(const SDL_Event& motion, CPoint screen);
    // A motion to `screen` unless the last held motion was there already.
    void CatchUpPointer(CPoint screen);
    // A mouse message whose client point is taken from `screen` when handled.
    void DeliverAtScreenPoint(InputMessage& msg, CPoint screen);
    void UpdateCapture();
    // Where the X server has the window's top-left corner; none without X11.
    std::optional<CPoint> ServerPosition() const;
    // Whether a move the host asked for put the window at `at`; that one and
    // those before it are done with.
    bool ReachedMoveAsked(CPoint at);
    // Shows the kept frame again (after exposure).
    void Repaint();
    void Blit(const CRect& part);
    // X11 window-manager hints for the tool-window and no-activate styles.
    void ApplyWindowManagerHints();
    // Cuts the window to its frame's outline unless the desktop shows the
    // frame's transparent pixels through (a visual with alpha and a
    // compositing manager). Called when the frame's edges may have changed.
    void UpdateShape();

    std::shared_ptr<SdlVideoSession> m_session;
    SDL_Window* m_window;
    std::vector<std::uint32_t> m_frame;  // the last frame, premultiplied ARGB32
    CSize m_frameSize;
    bool m_alphaVisual = false;  // the window's visual has an alpha channel
    bool m_desktopBlends = false;  // and a compositing manager shows it blended
    WindowShape m_shape;
    std::unique_ptr<X11PointerHold> m_hold;
    SdlInputTranslator m_input;
    HWND m_target = nullptr;
    CRect m_rect;
    std::deque<CPoint> m_movesAsked;  // positions the host asked for that the server may not have reached, oldest first
    bool m_visible = false;
    bool m_iconic = false;
    bool m_captured = false;
    CPoint m_dragPointer;  // the pointer's screen point at the press or the last motion delivered since
    bool m_shownNoActivate = false;
    DWORD m_style = 0;
};

}  // namespace qv::ui::sdl
