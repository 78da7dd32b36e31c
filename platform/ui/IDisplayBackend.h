#pragma once
// Where host windows appear: real windows (SDL2) or offscreen images
// (headless). The host renders into its own image and hands finished frames
// to its native window.
#include <memory>

#include "platform/os/Types.h"
#include "platform/ui/Geometry.h"
#include "platform/ui/SBitmap.h"
#include "platform/ui/SStringW.h"

namespace qv::ui {

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
    // The host's HostStyle_* bits (SHostWnd.h): set before the first Show
    // and again whenever they change.
    virtual void SetStyle(DWORD style) { (void)style; }
    // The host window that receives this window's input messages.
    virtual void SetInputTarget(HWND host) { (void)host; }
    // A finished frame; dirty is the part that changed.
    virtual void Present(const SBitmap& frame, const CRect& dirty) = 0;
};

class IDisplayBackend {
public:
    virtual ~IDisplayBackend() = default;
    virtual std::unique_ptr<INativeWindow> CreateNativeWindow() = 0;
    virtual CSize GetScreenSize() const = 0;
    virtual CRect GetWorkArea() const = 0;
    virtual CPoint GetCursorPos() const = 0;
};

// The process's backend; headless unless one was installed.
IDisplayBackend& GetDisplayBackend();
// Installs a backend (null: the headless one). The caller keeps ownership.
void SetDisplayBackend(IDisplayBackend* backend);

}  // namespace qv::ui
