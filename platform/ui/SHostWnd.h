#pragma once
// A host window: a native window (through the display backend) whose client
// area holds a window tree built from a layout. It owns the tree's focus,
// capture, hover, redraw, timers and frames, and answers Windows-style
// messages through its message map (and the maps chained to it).
#include <map>
#include <memory>
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
    ~SHostWnd() override;

    // Creates the native window, builds the tree from the layout, lays it
    // out and sends WM_CREATE then WM_INITDIALOG. Returns the handle.
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
    void CenterWindow(HWND parent = nullptr);
    BOOL SetWindowPos(const CRect& screenRect);
    CRect GetScreenRect() const;
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

private:
    HWND CreateFromNode(pugi::xml_node top, HWND parent);
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
    // The tool tip of the hovered control, after the pointer rested on it.
    void ShowToolTip();
    void HideToolTip();
    void FocusNext(bool backwards);
    void OnTimerMessage(UINT_PTR id);
    void ResizeClient(CSize size);

    HWND m_hwnd = nullptr;
    std::unique_ptr<INativeWindow> m_native;
    std::unique_ptr<SRenderTarget> m_rt;
    SStringW m_title;
    DWORD m_style = 0;
    bool m_contentSized = false;
    bool m_shownNoActivate = false;
    bool m_inputEnabled = true;
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
