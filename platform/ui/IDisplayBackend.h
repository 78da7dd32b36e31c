#pragma once
// Where host windows appear: real windows (SDL2) or offscreen images
// (headless). The host renders into its own image and hands finished frames
// to its native window.
#include <memory>
#include <vector>

#include "platform/os/Types.h"
#include "platform/ui/Geometry.h"
#include "platform/ui/SBitmap.h"
#include "platform/ui/SStringW.h"

namespace qv::ui {

// Named pointer shapes a window may show.
enum class CursorId { Arrow, Hand, IBeam, SizeAll, SizeWE, SizeNS, SizeNWSE, SizeNESW };

class INativeWindow {
public:
    virtual ~INativeWindow() = default;
    virtual void Show(int showCmd) = 0;
    virtual bool IsVisible() const = 0;
    virtual bool IsIconic() const = 0;
    // Screen rectangle of the window.
    virtual void SetRect(const CRect& rc) = 0;
    virtual CRect GetRect() const = 0;
    virtual void SetTitle(const SStringW& title) = 0;
    // The icon the desktop shows for the window, in the sizes given.
    virtual void SetIcon(const std::vector<BitmapPtr>& /*sizes*/) {}
    // The host's HostStyle_* bits (SHostWnd.h): set before the first Show
    // and again whenever they change.
    virtual void SetStyle(DWORD /*style*/) {}
    // The host window that receives this window's input messages.
    virtual void SetInputTarget(HWND /*host*/) {}
    // A finished frame; dirty is the part that changed.
    virtual void Present(const SBitmap& frame, const CRect& dirty) = 0;
    // Above the other windows of its layer; with activate also given the
    // keyboard focus.
    virtual void Raise(bool /*activate*/) {}
    // The window this one belongs to (kept above it by the desktop); null: none.
    virtual void SetOwner(INativeWindow* /*owner*/) {}
    // The pointer's shape while it is over the window.
    virtual void SetCursor(CursorId /*cursor*/) {}
    // Whether typed text may go through the input method while the window
    // has the focus.
    virtual void EnableIme(bool /*enable*/) {}
    // While held, every press, release, motion and wheel step of the pointer
    // comes to this window, wherever the pointer is (client points outside
    // it included), and no other window sees it. Hiding or destroying the
    // window lets go.
    virtual void HoldPointer(bool /*hold*/) {}
};

// One display of the screen: its whole area and the part windows may use.
struct DisplayArea {
    CRect bounds;
    CRect work;
};

class IDisplayBackend {
public:
    virtual ~IDisplayBackend() = default;
    virtual std::unique_ptr<INativeWindow> CreateNativeWindow() = 0;
    // Every display, the primary first; never empty.
    virtual std::vector<DisplayArea> GetDisplays() const = 0;
    virtual CPoint GetCursorPos() const = 0;

    // The primary display's size and work area.
    CSize GetScreenSize() const;
    CRect GetWorkArea() const;
    // The display the rectangle overlaps most; when it overlaps none, the one
    // whose centre is nearest.
    DisplayArea GetDisplayNear(const CRect& rc) const;
};

// The process's backend; headless unless one was installed.
IDisplayBackend& GetDisplayBackend();
// Installs a backend (null: the headless one). The caller keeps ownership.
void SetDisplayBackend(IDisplayBackend* backend);
// Whether one was installed (false: the default offscreen one serves).
bool IsDisplayBackendInstalled();

}  // namespace qv::ui
