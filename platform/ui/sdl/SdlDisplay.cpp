#include "platform/ui/sdl/SdlDisplay.h"

#include <SDL.h>

#include "platform/os/Log.h"
#include "platform/ui/headless/HeadlessDisplay.h"
#include "platform/ui/sdl/SdlVideoSession.h"
#include "platform/ui/sdl/SdlWindow.h"

namespace qv::ui::sdl {
namespace {

// Runs query with SDL's video open: the running session's, or one opened for
// the call when no window exists.
template <typename T, typename Query>
T WithVideo(const std::weak_ptr<SdlVideoSession>& weak, T fallback, Query query) {
    std::shared_ptr<SdlVideoSession> session = weak.lock();
    if (session && !session->IsOwnerThread()) {
        QV_LOGE("display queried off the UI thread");
        return fallback;
    }
    const bool running = session != nullptr;
    if (!running) session = SdlVideoSession::Open();
    if (!session) return fallback;
    T result = query();
    if (running) session->ScheduleDrain();
    return result;
}

CRect ToRect(const SDL_Rect& r) { return CRect(r.x, r.y, r.x + r.w, r.y + r.h); }

}  // namespace

std::unique_ptr<INativeWindow> SdlDisplay::CreateNativeWindow() {
    std::shared_ptr<SdlVideoSession> session = m_session.lock();
    if (session && !session->IsOwnerThread()) {
        QV_LOGE("SDL windows belong to one thread; this one gets a headless window");
        return std::make_unique<HeadlessWindow>();
    }
    if (!session) {
        session = SdlVideoSession::Open();
        m_session = session;
    }
    std::unique_ptr<SdlWindow> window = session ? SdlWindow::Create(session) : nullptr;
    if (!window) {
        QV_LOGE("no SDL window; using a headless one");
        return std::make_unique<HeadlessWindow>();
    }
    return window;
}

std::vector<DisplayArea> SdlDisplay::GetDisplays() const {
    using Displays = std::vector<DisplayArea>;
    return WithVideo<Displays>(m_session, Displays{DisplayArea{}}, [] {
        Displays displays;
        const int count = SDL_GetNumVideoDisplays();
        for (int i = 0; i < count; ++i) {
            SDL_Rect bounds{};
            if (SDL_GetDisplayBounds(i, &bounds) != 0) continue;
            SDL_Rect usable = bounds;
            if (SDL_GetDisplayUsableBounds(i, &usable) != 0) usable = bounds;
            displays.push_back({ToRect(bounds), ToRect(usable)});
        }
        if (displays.empty()) displays.push_back({});
        return displays;
    });
}

CPoint SdlDisplay::GetCursorPos() const {
    return WithVideo<CPoint>(m_session, CPoint(), [] {
        int x = 0;
        int y = 0;
        SDL_GetGlobalMouseState(&x, &y);
        return CPoint(x, y);
    });
}

std::uint64_t SdlDisplay::GetWakeCount() const {
    std::shared_ptr<SdlVideoSession> session = m_session.lock();
    return session ? session->GetWakeCount() : 0;
}

}  // namespace qv::ui::sdl
