#pragma once
// A host window: a native window (through the display backend) whose client
// area holds a window tree built from a layout. It owns the tree's focus,
// capture, hover, redraw, timers and frames, and answers Windows-style
// messages through its message map (and the maps chained to it).
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <typeinfo>
#include <vector>

#include "platform/ui/IDisplayBackend.h"
#include "platform/ui/MessageMap.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SWindow.h"

namespace qv::ui {

class SToolTipWnd;

// Styles of a host window, read by the display backends (INativeWindow::SetStyle).
// In a layout they are attributes of the top element: "popup", "topmost",
// "toolWindow", "noActivate", "hidden" (value 1 or 0).
constexpr DWORD HostStyle_Popup = 1u << 0;       // no frame or caption of the desktop's
constexpr DWORD HostStyle_TopMost = 1u << 1;     // above normal windows
constexpr DWORD HostStyle_ToolWindow = 1u << 2;  // no taskbar entry
constexpr DWORD HostStyle_NoActivate = 1u << 3;  // shown and clicked without taking the activation
constexpr DWORD HostStyle_Hidden = 1u << 4;      // never shown: a window for messages only

class SHostWnd : public SWindow, public ISwndContainer, public CMessageMap {
    QV_CLASS_NAME(SHostWnd, SWindow, u"hostwnd", kObjectWindow)

public:
    // layoutName: "LAYOUT:XML_MAIN" or a bare layout name.
    explicit SHostWnd(const SStringW& layoutName = {});
    // A window still open here is destroyed by the base class alone: the maps
    // of a derived class and of the pages it chains are gone by then and miss
    // WM_DESTROY, which is logged (naming the derived class). Destroy the window first (DestroyWindow,
    // WM_CLOSE, or an owner holding it through DestroyWindowFirst).
    ~SHostWnd() override;

    // Creates the native window, builds the tree from the layout, lays it
    // out and sends WM_CREATE then WM_INITDIALOG. A host window given as
    // parent becomes the owner. Returns the handle.
    HWND Create(HWND parent = nullptr, int x = 0, int y = 0, int cx = 0, int cy = 0);
    // Builds from an XML text instead of a layout resource.
    HWND CreateFromXml(const SStringW& xml, HWND parent = nullptr);
    HWND GetHwnd() const { return m_hwnd; }
    HWND m_hWnd = nullptr;  // the handle, as hosts' code names it
    const SStringW& GetTitle() const { return m_title; }

    // Sends WM_DESTROY, frees the tree, removes the native window; then
    // OnFinalMessage. The object itself stays (its owner deletes it).
    BOOL DestroyWindow() override;
    virtual void OnFinalMessage(HWND hwnd) { (void)hwnd; }
    bool IsWindow() const { return m_hwnd != nullptr; }

    // --- Windows-style calls on this window, from its own thread. Other
    // threads post and send by handle (qv::os::PostMessage/SendMessage).
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    // Host timers: WM_TIMER with wParam = id through the message map.
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs);
    BOOL KillTimer(UINT_PTR id);
    BOOL ShowWindow(int showCmd);
    BOOL IsWindowVisible() const;
    BOOL IsIconic() const;

    // --- position, owner and activation (screen coordinates)
    // Moves, sizes and orders the window: WM_WINDOWPOSCHANGING first, whose
    // WINDOWPOS a handler may change (the window then takes the changed
    // place), then WM_WINDOWPOSCHANGED, WM_MOVE and WM_SIZE for what changed.
    // insertAfter: HWND_TOPMOST / HWND_NOTOPMOST change the top-most style,
    // HWND_TOP raises. The window is not activated by it.
    BOOL SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
    // Moves and sizes, z-order unchanged.
    BOOL SetWindowPos(const CRect& screenRect);
    BOOL MoveWindow(int x, int y, int cx, int cy);
    // Centres the window over the owner (parent, else the window's own
    // owner) when that is shown, else on the work area of the display the
    // owner (or, without one, this window) is on; kept inside that work area.
    void CenterWindow(HWND parent = nullptr);
    CRect GetScreenRect() const;
    // The owner: the desktop keeps this window above it, CenterWindow
    // centres on it, and it is activated when this active window goes.
    void SetOwnerWnd(HWND owner);
    HWND GetOwnerWnd() const { return m_ownerWnd; }
    // Raises the window and makes it the active window of its thread
    // (WM_ACTIVATE to the window that was active, then to this one).
    BOOL SetForegroundWindow();
    BOOL BringWindowToTop();
    bool IsActiveWindow() const;

    // Message hooks see every message of the window before its maps (not
    // the framework's own repaints and timers). A hook returns the result;
    // it calls next to pass the message on (possibly changed) to older hooks
    // and then the maps. Newest hook first; removable at any time.
    using MessageHookNext = std::function<LRESULT(UINT msg, WPARAM wParam, LPARAM lParam)>;
    using MessageHook = std::function<LRESULT(UINT msg, WPARAM wParam, LPARAM lParam, const MessageHookNext& next)>;
    std::uint64_t AddMessageHook(MessageHook hook);
    bool RemoveMessageHook(std::uint64_t token);
    void ClientToScreen(CPoint& pt) const;
    void ScreenToClient(CPoint& pt) const;
    INativeWindow* GetNativeWindow() const { return m_native.get(); }
    // Host styles (HostStyle_*); may change before or after Create.
    DWORD GetHostStyle() const { return m_style; }
    void ModifyHostStyle(DWORD add, DWORD remove);
    // Top-most or back to the normal z-order.
    void SetTopMost(bool topMost) { ModifyHostStyle(topMost ? HostStyle_TopMost : 0, topMost ? 0 : HostStyle_TopMost); }
    // A disabled host ignores mouse, key and text input (a modal loop
    // disables its owner); everything else still reaches it.
    void EnableHostWindow(bool enable) { m_inputEnabled = enable; }
    bool IsHostWindowEnabled() const { return m_inputEnabled; }
    // Resizes a content-sized window (layout without "size") to what its
    // children need now, keeping its top-left corner.
    void SizeToContent();
    // Input-method composition for this window; while disabled no
    // composition reaches its controls and typed text arrives as characters.
    void EnableIme(bool enable);
    bool IsImeEnabled() const { return m_imeEnabled; }
    // Every press, motion and wheel step of the pointer comes to this window
    // wherever the pointer is, until released or the window is hidden (see
    // INativeWindow::HoldPointer).
    void HoldPointer(bool hold);

    // --- drawing
    // Lays out if asked and repaints the invalid part now.
    void UpdateWindow();
    // Relays the whole tree out from the client size.
    void UpdateLayout();
    // The offscreen image of the client area.
    BitmapPtr GetFrameBitmap() const { return m_rt ? m_rt->GetBitmap() : nullptr; }
    SRenderTarget* GetRenderTarget() const { return m_rt.get(); }
    CRect GetInvalidRect() const { return m_invalid; }

    // The host's event map (see EVENT_MAP_BEGIN); events no window handled.
    virtual BOOL _HandleEvent(EventArgs* e) { (void)e; return FALSE; }

    // The messages and input the base answers.
    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // --- ISwndContainer
    bool OnFireEvent(EventArgs& e) override;
    void OnSetSwndFocus(SWindow* wnd) override;
    SWindow* GetSwndFocus() const override { return m_focus; }
    void OnSetSwndCapture(SWindow* wnd) override;
    void OnReleaseSwndCapture(SWindow* wnd) override;
    SWindow* GetSwndCapture() const override { return m_capture; }
    void InvalidateHostRect(const CRect& rc) override;
    void RequestRelayout() override;
    void OnSwndDestroyed(SWindow* wnd) override;
    bool SetSwndTimer(SWindow* wnd, UINT id, UINT elapseMs) override;
    void KillSwndTimer(SWindow* wnd, UINT id) override;
    bool RegisterTimelineHandler(ITimelineHandler* handler) override;
    bool UnregisterTimelineHandler(ITimelineHandler* handler) override;
    // Runs one frame of every timeline handler (the 10 ms timer calls this).
    void OnNextFrame();

protected:
    // Attributes of the layout's top element: "size", "width", "height", "title".
    virtual void InitHostAttributes(pugi::xml_node top);
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);

    SStringW m_layoutName;

    // Builds the window from a layout's top element (its attributes and the
    // <root> child or the top element's own children).
    HWND CreateFromNode(pugi::xml_node top, HWND parent);

private:
    void DispatchMouse(UINT msg, WPARAM wParam, CPoint pt);
    bool DispatchKey(UINT msg, WPARAM wParam);
    void DispatchComposition(const SStringW& text);
    // A button went down in this window: no-activate windows elsewhere on
    // this thread (drop-downs, menus) lose their activation and close.
    // True when one closed or hid: the click was its.
    bool DeactivatePopupsElsewhere();
    // MK_SHIFT / MK_CONTROL / MK_ALT from the modifier keys seen.
    UINT KeyFlags() const;
    void TrackModifier(UINT msg, WPARAM vk);
    void UpdateHover(SWindow* target, CPoint pt);
    // Shows the cursor of the window under the pointer (or capturing it).
    void UpdateCursor(SWindow* target);
    // The tool tip of the hovered control, after the pointer rested on it.
    void ShowToolTip();
    void HideToolTip();
    void FocusNext(bool backwards);
    void OnTimerMessage(UINT_PTR id);
    void ResizeClient(CSize size);
    // Hooks from index down to 0, then the maps.
    LRESULT DispatchToHooks(size_t index, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT DispatchToMaps(UINT msg, WPARAM wParam, LPARAM lParam);
    // Makes this the thread's active window, telling the old and the new.
    void Activate();
    // This window stops being active (hidden or destroyed): its owner takes
    // over when shown, else no window is active.
    void PassActivationOn();
    // Follows WM_ACTIVATE from the display, which knows the desktop's focus.
    void TrackActivation(WPARAM wParam);

    HWND m_hwnd = nullptr;
    HWND m_ownerWnd = nullptr;
    const std::type_info* m_createdAs = nullptr;  // the class whose maps run
    std::unique_ptr<INativeWindow> m_native;
    struct HookEntry {
        std::uint64_t token;
        std::shared_ptr<MessageHook> hook;
    };
    std::vector<HookEntry> m_hooks;
    std::uint64_t m_nextHook = 1;
    std::unique_ptr<SRenderTarget> m_rt;
    SStringW m_title;
    DWORD m_style = 0;
    bool m_contentSized = false;
    bool m_shownNoActivate = false;
    bool m_inputEnabled = true;
    bool m_imeEnabled = true;
    CursorId m_cursorShown = CursorId::Arrow;
    UINT m_modifiers = 0;
    std::unique_ptr<SToolTipWnd> m_toolTip;
    CSize m_size;
    CRect m_invalid;
    bool m_relayoutPending = false;
    bool m_paintPosted = false;

    SWindow* m_focus = nullptr;
    SWindow* m_capture = nullptr;
    SWindow* m_hover = nullptr;

    struct SwndTimer {
        SWindow* wnd;
        UINT id;
    };
    std::map<UINT_PTR, SwndTimer> m_swndTimers;  // native id -> window timer
    UINT_PTR m_nextSwndTimer = 1;
    std::vector<ITimelineHandler*> m_timeline;
};

// Deletes a host window the way its maps need: the window is destroyed while
// the whole object, pages included, still exists. For std::unique_ptr<T,
// DestroyWindowFirst> members and the like.
struct DestroyWindowFirst {
    void operator()(SHostWnd* wnd) const;
};

// Windows-style calls by handle, for host windows of the calling thread.
// The thread's active window (null when none is).
HWND GetActiveWindow();
BOOL SetForegroundWindow(HWND hwnd);
BOOL BringWindowToTop(HWND hwnd);

// Private message ids of host windows.
constexpr UINT UM_HOST_PAINT = WM_USER + 0x3F0;

// Windows timer ids above this belong to the framework (window timers and frames).
constexpr UINT_PTR kFrameworkTimerBase = UINT_PTR(1) << 62;
constexpr UINT_PTR kTimelineTimerId = kFrameworkTimerBase;
constexpr UINT kTimelineIntervalMs = 10;
constexpr UINT_PTR kToolTipTimerId = kFrameworkTimerBase | (UINT_PTR(1) << 61);
// How long the pointer rests on a control before its tool tip shows.
constexpr UINT kToolTipDelayMs = 500;

}  // namespace qv::ui
