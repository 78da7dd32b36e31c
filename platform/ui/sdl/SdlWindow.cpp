#include "platform/ui/sdl/SdlWindow.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <cairo.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/os/Log.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SHostWnd.h"
#include "platform/ui/WinDefs.h"
#include "platform/ui/sdl/SdlVideoSession.h"
#include "platform/ui/sdl/X11Visuals.h"
#include "platform/ui/sdl/X11WindowIcon.h"

// Last: Xlib's macros (None, Status...) must not meet our headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace qv::ui::sdl {

std::unique_ptr<SdlWindow> SdlWindow::Create(std::shared_ptr<SdlVideoSession> session) {
    SDL_Window* window = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 1, 1,
                                          SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS);
    if (!window) {
        QV_LOGE("SDL_CreateWindow: %s", SDL_GetError());
        return nullptr;
    }
    return std::unique_ptr<SdlWindow>(new SdlWindow(std::move(session), window));
}

namespace {

struct X11Handles {
    Display* display = nullptr;
    Window window = 0;
};

X11Handles GetX11(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return {};
    return {info.info.x11.display, info.info.x11.window};
}

}  // namespace

SdlWindow::SdlWindow(std::shared_ptr<SdlVideoSession> session, SDL_Window* window)
    : m_session(std::move(session)), m_window(window), m_rect(0, 0, 1, 1) {
    m_session->Register(this, m_window);
    if (const X11Handles x = GetX11(m_window); x.display) {
        XWindowAttributes attrs;
        m_alphaVisual = XGetWindowAttributes(x.display, x.window, &attrs) && attrs.depth == 32;
        // SDL marks a new window transient for the root window; a window
        // belongs to another only once SetOwner says so.
        XDeleteProperty(x.display, x.window, XA_WM_TRANSIENT_FOR);
        XFlush(x.display);
    }
}

SdlWindow::~SdlWindow() {
    m_hold.reset();
    if (m_captured) SDL_CaptureMouse(SDL_FALSE);
    m_session->Unregister(m_window);
    SDL_DestroyWindow(m_window);
    // The last window closes the session (and SDL's video) with it.
}

namespace {

// A premultiplied pixel made opaque in its own colour; opaque and fully
// transparent ones stay as they are.
std::uint32_t Unpremultiplied(std::uint32_t pixel) {
    const std::uint32_t a = pixel >> 24;
    if (a == 0 || a == 0xFF) return pixel;
    auto channel = [&](int shift) { return std::min<std::uint32_t>(0xFF, (((pixel >> shift) & 0xFF) * 0xFF + a / 2) / a) << shift; };
    return 0xFF000000u | channel(16) | channel(8) | channel(0);
}

// Maps the window; a no-activate one neither takes the focus nor asks for it.
// Without a window manager SDL gives every window it maps the keyboard focus,
// to fall to no window at all (RevertToNone) when that one goes, and keys
// would then reach nobody: it falls to the window under the pointer instead.
// That change is read and made with the server held, and sent at once: a
// focus another program gives meanwhile or later is never taken back.
void MapWindow(SDL_Window* window, bool noActivate) {
    if (noActivate) SDL_SetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN, "1");
    SDL_ShowWindow(window);
    if (noActivate) SDL_ResetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN);
    const X11Handles x = GetX11(window);
    if (!x.display) return;
    Window focus = 0;
    int revert = 0;
    XGrabServer(x.display);
    XGetInputFocus(x.display, &focus, &revert);
    if (focus == x.window && revert == RevertToNone) XSetInputFocus(x.display, x.window, RevertToPointerRoot, CurrentTime);
    XUngrabServer(x.display);
    XFlush(x.display);
}

bool IsMapped(const X11Handles& x) {
    XWindowAttributes attrs;
    return XGetWindowAttributes(x.display, x.window, &attrs) && attrs.map_state != IsUnmapped;
}

// Adds or removes states in _NET_WM_STATE: through the window manager once
// mapped, in the property itself before.
void SetNetWmStates(const X11Handles& x, const std::vector<Atom>& states, bool on) {
    const Atom property = XInternAtom(x.display, "_NET_WM_STATE", False);
    if (IsMapped(x)) {
        for (Atom state : states) {
            XEvent e{};
            e.xclient.type = ClientMessage;
            e.xclient.window = x.window;
            e.xclient.message_type = property;
            e.xclient.format = 32;
            e.xclient.data.l[0] = on ? 1 : 0;  // _NET_WM_STATE_ADD / _REMOVE
            e.xclient.data.l[1] = static_cast<long>(state);
            e.xclient.data.l[3] = 1;  // from a normal application
            XSendEvent(x.display, DefaultRootWindow(x.display), False,
                       SubstructureNotifyMask | SubstructureRedirectMask, &e);
        }
        return;
    }
    std::vector<Atom> current;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(x.display, x.window, property, 0, 64, False, XA_ATOM, &type, &format, &count, &after,
                           &data) == Success &&
        data) {
        if (format == 32) {
            const auto* atoms = reinterpret_cast<const Atom*>(data);
            current.assign(atoms, atoms + count);
        }
        XFree(data);
    }
    for (Atom state : states) {
        current.erase(std::remove(current.begin(), current.end(), state), current.end());
        if (on) current.push_back(state);
    }
    XChangeProperty(x.display, x.window, property, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(current.data()), static_cast<int>(current.size()));
}

// ICCCM's "no input" model: the window manager gives no focus on a click.
void SetTakesFocus(const X11Handles& x, bool takes) {
    XWMHints* hints = XGetWMHints(x.display, x.window);
    XWMHints fresh{};
    XWMHints* h = hints ? hints : &fresh;
    h->flags |= InputHint;
    h->input = takes ? True : False;
    XSetWMHints(x.display, x.window, h);
    if (hints) XFree(hints);

    const Atom takeFocus = XInternAtom(x.display, "WM_TAKE_FOCUS", False);
    Atom* protocols = nullptr;
    int count = 0;
    std::vector<Atom> list;
    if (XGetWMProtocols(x.display, x.window, &protocols, &count) && protocols) {
        list.assign(protocols, protocols + count);
        XFree(protocols);
    }
    list.erase(std::remove(list.begin(), list.end(), takeFocus), list.end());
    if (takes) list.push_back(takeFocus);
    XSetWMProtocols(x.display, x.window, list.data(), static_cast<int>(list.size()));
}

}  // namespace

void SdlWindow::SetStyle(DWORD style) {
    m_style = style;
    // SDL rewrites _NET_WM_STATE here: the hints of ours go after it.
    SDL_SetWindowAlwaysOnTop(m_window, style & HostStyle_TopMost ? SDL_TRUE : SDL_FALSE);
    ApplyWindowManagerHints();
    if (style & HostStyle_Hidden && m_visible) Show(SW_HIDE);
    m_session->ScheduleDrain();
}

bool SdlWindow::IsNoActivatePopup() const {
    return m_visible && (m_shownNoActivate || (m_style & HostStyle_NoActivate));
}

void SdlWindow::ApplyWindowManagerHints() {
    const X11Handles x = GetX11(m_window);
    if (!x.display) return;
    const bool tool = m_style & HostStyle_ToolWindow;
    const Atom type = XInternAtom(x.display, tool ? "_NET_WM_WINDOW_TYPE_UTILITY" : "_NET_WM_WINDOW_TYPE_NORMAL", False);
    XChangeProperty(x.display, x.window, XInternAtom(x.display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&type), 1);
    SetNetWmStates(x,
                   {XInternAtom(x.display, "_NET_WM_STATE_SKIP_TASKBAR", False),
                    XInternAtom(x.display, "_NET_WM_STATE_SKIP_PAGER", False)},
                   tool);
    SetTakesFocus(x, !(m_style & HostStyle_NoActivate));
    XFlush(x.display);
}

void SdlWindow::Show(int showCmd) {
    if (showCmd != SW_HIDE && (m_style & HostStyle_Hidden)) return;  // a window for messages only
    const bool noActivate = showCmd == SW_SHOWNOACTIVATE || (m_style & HostStyle_NoActivate);
    if (showCmd != SW_HIDE) m_shownNoActivate = showCmd == SW_SHOWNOACTIVATE;
    if (showCmd != SW_HIDE && !m_visible) ApplyWindowManagerHints();
    switch (showCmd) {
    case SW_HIDE:
        m_hold.reset();
        SDL_HideWindow(m_window);
        m_visible = false;
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
        MapWindow(m_window, noActivate);
        SDL_MinimizeWindow(m_window);
        m_visible = m_iconic = true;
        break;
    case SW_SHOWMAXIMIZED:
        MapWindow(m_window, noActivate);
        SDL_MaximizeWindow(m_window);
        m_visible = true;
        m_iconic = false;
        break;
    case SW_SHOWNOACTIVATE:
        if (m_iconic) SDL_RestoreWindow(m_window);
        MapWindow(m_window, noActivate);
        m_visible = true;
        m_iconic = false;
        break;
    default:  // SW_SHOW, SW_SHOWNORMAL, SW_RESTORE: shown and activated
        if (m_iconic) SDL_RestoreWindow(m_window);
        MapWindow(m_window, noActivate);
        if (!noActivate) SDL_RaiseWindow(m_window);
        m_visible = true;
        m_iconic = false;
        break;
    }
    if (m_visible) Repaint();
    m_session->ScheduleDrain();
}

void SdlWindow::SetRect(const CRect& rc) {
    const bool sized = rc.Size() != m_rect.Size();
    m_rect = rc;
    // SDL's resize moves the window again, to where SDL last saw it: under a
    // window manager that can be a move of ours carried out late. The size
    // goes first, so that the position asked for is the last request.
    if (sized) SDL_SetWindowSize(m_window, std::max(1, rc.Width()), std::max(1, rc.Height()));
    SDL_SetWindowPosition(m_window, rc.left, rc.top);
    m_movesAsked.push_back(rc.TopLeft());
    if (const std::optional<CPoint> at = ServerPosition()) ReachedMoveAsked(*at);
    constexpr std::size_t kMovesKept = 64;
    if (m_movesAsked.size() > kMovesKept) m_movesAsked.pop_front();
    m_session->ScheduleDrain();
}

bool SdlWindow::ReachedMoveAsked(CPoint at) {
    const auto it = std::find(m_movesAsked.begin(), m_movesAsked.end(), at);
    if (it == m_movesAsked.end()) return false;
    m_movesAsked.erase(m_movesAsked.begin(), it + 1);
    return true;
}

void SdlWindow::Raise(bool activate) {
    if (activate) {
        SDL_RaiseWindow(m_window);
    } else if (const X11Handles x = GetX11(m_window); x.display) {
        XRaiseWindow(x.display, x.window);
        XFlush(x.display);
    }
    m_session->ScheduleDrain();
}

void SdlWindow::SetOwner(INativeWindow* owner) {
    const X11Handles x = GetX11(m_window);
    if (!x.display) return;
    auto* sdlOwner = dynamic_cast<SdlWindow*>(owner);
    const unsigned long ownerWindow = sdlOwner ? sdlOwner->GetX11Window() : 0;
    if (ownerWindow) XSetTransientForHint(x.display, x.window, ownerWindow);
    else XDeleteProperty(x.display, x.window, XA_WM_TRANSIENT_FOR);
    XFlush(x.display);
}

void SdlWindow::HoldPointer(bool hold) {
    if (!hold) {
        m_hold.reset();
        return;
    }
    const X11Handles x = GetX11(m_window);
    if (m_hold || !x.display || !m_target) return;
    m_hold = std::make_unique<X11PointerHold>(DisplayString(x.display), x.window, m_target);
    KeepPointerHeld();
}

void SdlWindow::KeepPointerHeld() {
    if (m_hold && !m_hold->IsHeld() && m_visible) m_hold->Grab();
}

void SdlWindow::SetCursor(CursorId cursor) { m_session->SetCursor(cursor); }

void SdlWindow::SetTitle(const SStringW& title) {
    const std::string utf8 = title.ToUtf8();
    SDL_SetWindowTitle(m_window, utf8.c_str());
    // SDL leaves WM_NAME typed STRING (Latin-1) with UTF-8 bytes in it, which
    // pagers and task bars that read it show garbled: it is retyped as what
    // it holds.
    const X11Handles x = GetX11(m_window);
    if (!x.display) return;
    XChangeProperty(x.display, x.window, XA_WM_NAME, XInternAtom(x.display, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(utf8.data()), static_cast<int>(utf8.size()));
    XFlush(x.display);
}

void SdlWindow::SetIcon(const std::vector<BitmapPtr>& sizes) {
    const X11Handles x = GetX11(m_window);
    SetNetWmIcon(x.display, x.window, sizes);
}

void SdlWindow::SetTopMost(bool topMost) {
    SetStyle(topMost ? m_style | HostStyle_TopMost : m_style & ~HostStyle_TopMost);
}

unsigned long SdlWindow::GetX11Window() const {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(m_window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
    return info.info.x11.window;
}

void SdlWindow::Present(const SBitmap& frame, const CRect& dirty) {
    cairo_surface_t* surface = frame.Surface();
    if (!surface) return;
    cairo_surface_flush(surface);
    const int width = frame.Width();
    const int height = frame.Height();
    if (width <= 0 || height <= 0) return;
    // The copy lets an exposed or re-shown window be redrawn without the host.
    CRect part = dirty;
    if (m_frameSize != CSize(width, height)) {
        m_frame.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
        m_frameSize = CSize(width, height);
        part = CRect(0, 0, width, height);  // nothing of the old size carries over
    }
    if (!part.Intersect(part, CRect(0, 0, width, height))) return;
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* pixels = cairo_image_surface_get_data(surface);
    for (int y = part.top; y < part.bottom; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(pixels + static_cast<size_t>(y) * static_cast<size_t>(stride));
        std::copy(row + part.left, row + part.right, m_frame.begin() + y * width + part.left);
    }
    // Only a change near an edge can move the outline (rounded corners).
    constexpr int kEdge = 16;
    const bool inside = part.left >= kEdge && part.top >= kEdge && part.right <= width - kEdge && part.bottom <= height - kEdge;
    if (!inside) UpdateShape();
    Blit(part);
}

void SdlWindow::UpdateShape() {
    const X11Handles x = GetX11(m_window);
    if (!x.display) return;
    m_desktopBlends = m_alphaVisual && HasCompositingManager(x.display);
    m_shape.Apply(x.display, x.window, m_frame, m_frameSize.cx, m_frameSize.cy, !m_desktopBlends);
}

void SdlWindow::Repaint() { Blit(CRect(0, 0, m_frameSize.cx, m_frameSize.cy)); }

void SdlWindow::Blit(const CRect& part) {
    if (m_frame.empty() || !m_visible) return;
    // The window surface follows the window's size; SDL renews it after a resize.
    SDL_Surface* target = SDL_GetWindowSurface(m_window);
    if (!target) {
        QV_LOGE("SDL_GetWindowSurface: %s", SDL_GetError());
        return;
    }
    CRect rc;
    if (!rc.Intersect(part, CRect(0, 0, std::min(target->w, m_frameSize.cx), std::min(target->h, m_frameSize.cy)))) return;
    // Cairo's ARGB32 is a native-endian 32-bit word, as SDL's ARGB8888.
    int srcPitch = m_frameSize.cx * 4;
    const auto* src = reinterpret_cast<const unsigned char*>(m_frame.data()) + rc.top * srcPitch + rc.left * 4;
    // Where nothing blends the window with what lies beneath, a partly
    // transparent pixel (a rounded edge, a translucent panel) would show its
    // colour darkened as if over black: it is shown opaque instead.
    std::vector<std::uint32_t> opaque;
    if (!m_desktopBlends) {
        opaque.reserve(static_cast<size_t>(rc.Width()) * static_cast<size_t>(rc.Height()));
        for (int y = rc.top; y < rc.bottom; ++y) {
            const std::uint32_t* row = m_frame.data() + static_cast<size_t>(y) * static_cast<size_t>(m_frameSize.cx);
            for (int x = rc.left; x < rc.right; ++x) opaque.push_back(Unpremultiplied(row[x]));
        }
        src = reinterpret_cast<const unsigned char*>(opaque.data());
        srcPitch = rc.Width() * 4;
    }
    auto* dst = static_cast<unsigned char*>(target->pixels) + rc.top * target->pitch + rc.left * target->format->BytesPerPixel;
    if (SDL_ConvertPixels(rc.Width(), rc.Height(), SDL_PIXELFORMAT_ARGB8888, src, srcPitch, target->format->format, dst,
                          target->pitch) != 0) {
        QV_LOGE("SDL_ConvertPixels: %s", SDL_GetError());
        return;
    }
    const SDL_Rect rect{rc.left, rc.top, rc.Width(), rc.Height()};
    if (SDL_UpdateWindowSurfaceRects(m_window, &rect, 1) != 0) QV_LOGE("SDL_UpdateWindowSurfaceRects: %s", SDL_GetError());
    m_session->ScheduleDrain();
}

void SdlWindow::OnSdlEvent(const SDL_Event& event) {
    if (event.type == SDL_WINDOWEVENT) {
        switch (event.window.event) {
        case SDL_WINDOWEVENT_EXPOSED: Repaint(); break;
        case SDL_WINDOWEVENT_MOVED: {
            // Moved by the desktop rather than by the host: tell the host. A
            // window manager carries out the host's moves late, each told in
            // turn: one with later ones still to come is not the place.
            const CPoint at = ServerPosition().value_or(CPoint(event.window.data1, event.window.data2));
            if (ReachedMoveAsked(at) || at == m_rect.TopLeft()) break;
            m_movesAsked.clear();
            m_rect = CRect(at, m_rect.Size());
            if (m_target) qv::os::PostMessage(m_target, WM_MOVE, 0, MAKELPARAM(at.x, at.y));
            break;
        }
        case SDL_WINDOWEVENT_MINIMIZED: m_iconic = true; break;
        case SDL_WINDOWEVENT_RESTORED: m_iconic = false; break;
        default: break;
        }
    }
    if (event.type == SDL_MOUSEMOTION && m_input.ButtonsHeld()) {
        int x = 0;
        int y = 0;
        SDL_GetGlobalMouseState(&x, &y);
        DeliverHeldMotion(event, CPoint(x, y));
    } else {
        for (InputMessage& msg : m_input.Translate(event, SDL_GetModState())) {
            // A window that is never activated is not told of the keyboard
            // focus, which SDL gives every window it shows when no window
            // manager runs (and takes again for the next one: a sub-menu
            // would end its menu). The application's loss of the focus
            // reaches it through the session.
            if (msg.message == WM_ACTIVATE && (m_style & HostStyle_NoActivate)) continue;
            Deliver(msg);
        }
    }
    UpdateCapture();
}

// SDL takes a configure event's point against the window's parent when it
// reads the event: one sent before a window manager framed the window is
// counted from the frame's corner, twice as far as it is. The server's own
// answer does not depend on when the event is read.
std::optional<CPoint> SdlWindow::ServerPosition() const {
    const X11Handles x = GetX11(m_window);
    if (!x.display) return std::nullopt;
    int left = 0;
    int top = 0;
    Window child = 0;
    if (!XTranslateCoordinates(x.display, x.window, DefaultRootWindow(x.display), 0, 0, &left, &top, &child))
        return std::nullopt;
    return CPoint(left, top);
}

void SdlWindow::FollowPointer() {
    if (!m_captured || !m_input.ButtonsHeld()) return;
    int x = 0;
    int y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    CatchUpPointer(CPoint(x, y));
}

void SdlWindow::OnButtonPress(CPoint screen) {
    if (!m_input.ButtonsHeld()) m_dragPointer = screen;
}

// The pointer is not asked where it is now: it may have gone on after the
// release, and the drag ends where the button came up.
void SdlWindow::OnButtonRelease(CPoint screen) {
    if (m_captured && m_input.ButtonsHeld()) CatchUpPointer(screen);
}

void SdlWindow::CatchUpPointer(CPoint screen) {
    if (screen == m_dragPointer) return;
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.windowID = SDL_GetWindowID(m_window);
    DeliverHeldMotion(motion, screen);
}

// A drag may move the window under the pointer: SDL's point is taken against
// where the desktop had the window, which lags behind, and the moves still
// queued change it again. The pointer's screen point goes with the message
// and becomes a client point when it is handled.
void SdlWindow::DeliverHeldMotion(const SDL_Event& motion, CPoint screen) {
    m_dragPointer = screen;
    SDL_Event in = motion;
    in.motion.x = screen.x - m_rect.left;
    in.motion.y = screen.y - m_rect.top;
    for (InputMessage& msg : m_input.Translate(in, SDL_GetModState())) DeliverAtScreenPoint(msg, screen);
}

void SdlWindow::Deliver(InputMessage& msg) {
    if (!m_target) return;
    if (msg.message != WM_IME_COMPOSITION) {
        qv::os::PostMessage(m_target, msg.message, msg.wParam, msg.lParam);
        return;
    }
    // The text must outlive the call: sent from a task, in order with the posts.
    qv::os::PostTask(m_session->GetThreadId(), [hwnd = m_target, m = std::move(msg)] {
        qv::os::SendMessage(hwnd, m.message, m.wParam, reinterpret_cast<LPARAM>(m.text.c_str()));
    });
}

void SdlWindow::DeliverAtScreenPoint(InputMessage& msg, CPoint screen) {
    if (!m_target) return;
    qv::os::PostTask(m_session->GetThreadId(), [hwnd = m_target, msg, screen] {
        LPARAM lParam = msg.lParam;
        SApplication* app = SApplication::getSingletonPtr();
        if (SHostWnd* host = app ? app->FindHostWnd(hwnd) : nullptr) {
            CPoint pt = screen;
            host->ScreenToClient(pt);
            lParam = MAKELPARAM(pt.x, pt.y);
        }
        qv::os::SendMessage(hwnd, msg.message, msg.wParam, lParam);
    });
}

void SdlWindow::UpdateCapture() {
    const bool want = m_input.ButtonsHeld();
    if (want == m_captured) return;
    // Drags keep their window while the pointer is outside it.
    if (SDL_CaptureMouse(want ? SDL_TRUE : SDL_FALSE) != 0) QV_LOGW("SDL_CaptureMouse: %s", SDL_GetError());
    m_captured = want;
    m_session->ScheduleDrain();
}

}  // namespace qv::ui::sdl
