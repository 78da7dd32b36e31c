#include "platform/ui/sdl/SdlWindow.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <cairo.h>

#include <algorithm>

#include "platform/os/Log.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/WinDefs.h"
#include "platform/ui/sdl/SdlVideoSession.h"

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

SdlWindow::SdlWindow(std::shared_ptr<SdlVideoSession> session, SDL_Window* window)
    : m_session(std::move(session)), m_window(window), m_rect(0, 0, 1, 1) {
    m_session->Register(this, m_window);
}

SdlWindow::~SdlWindow() {
    if (m_captured) SDL_CaptureMouse(SDL_FALSE);
    m_session->Unregister(m_window);
    SDL_DestroyWindow(m_window);
    // The last window closes the session (and SDL's video) with it.
}

void SdlWindow::Show(int showCmd) {
    switch (showCmd) {
    case SW_HIDE:
        SDL_HideWindow(m_window);
        m_visible = false;
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
        SDL_ShowWindow(m_window);
        SDL_MinimizeWindow(m_window);
        m_visible = m_iconic = true;
        break;
    case SW_SHOWMAXIMIZED:
        SDL_ShowWindow(m_window);
        SDL_MaximizeWindow(m_window);
        m_visible = true;
        m_iconic = false;
        break;
    case SW_SHOWNOACTIVATE:
        if (m_iconic) SDL_RestoreWindow(m_window);
        SDL_ShowWindow(m_window);
        m_visible = true;
        m_iconic = false;
        break;
    default:  // SW_SHOW, SW_SHOWNORMAL, SW_RESTORE: shown and activated
        if (m_iconic) SDL_RestoreWindow(m_window);
        SDL_ShowWindow(m_window);
        SDL_RaiseWindow(m_window);
        m_visible = true;
        m_iconic = false;
        break;
    }
    if (m_visible) Repaint();
    m_session->ScheduleDrain();
}

void SdlWindow::SetRect(const CRect& rc) {
    m_rect = rc;
    SDL_SetWindowPosition(m_window, rc.left, rc.top);
    SDL_SetWindowSize(m_window, std::max(1, rc.Width()), std::max(1, rc.Height()));
    m_session->ScheduleDrain();
}

void SdlWindow::SetTitle(const SStringW& title) { SDL_SetWindowTitle(m_window, title.ToUtf8().c_str()); }

void SdlWindow::SetTopMost(bool topMost) {
    SDL_SetWindowAlwaysOnTop(m_window, topMost ? SDL_TRUE : SDL_FALSE);
    m_session->ScheduleDrain();
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
    Blit(part);
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
    const int srcPitch = m_frameSize.cx * 4;
    const auto* src = reinterpret_cast<const unsigned char*>(m_frame.data()) + rc.top * srcPitch + rc.left * 4;
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
        case SDL_WINDOWEVENT_MOVED:
            m_rect = CRect(event.window.data1, event.window.data2, event.window.data1 + m_rect.Width(),
                           event.window.data2 + m_rect.Height());
            break;
        case SDL_WINDOWEVENT_MINIMIZED: m_iconic = true; break;
        case SDL_WINDOWEVENT_RESTORED: m_iconic = false; break;
        default: break;
        }
    }
    for (InputMessage& msg : m_input.Translate(event, SDL_GetModState())) Deliver(msg);
    UpdateCapture();
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

void SdlWindow::UpdateCapture() {
    const bool want = m_input.ButtonsHeld();
    if (want == m_captured) return;
    // Drags keep their window while the pointer is outside it.
    if (SDL_CaptureMouse(want ? SDL_TRUE : SDL_FALSE) != 0) QV_LOGW("SDL_CaptureMouse: %s", SDL_GetError());
    m_captured = want;
    m_session->ScheduleDrain();
}

}  // namespace qv::ui::sdl
