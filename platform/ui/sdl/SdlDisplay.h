#pragma once
// The SDL2 display backend. Used from one thread (the plug-in's): SDL's video
// opens with the first native window and closes when the last one goes.
// Without a display it falls back to headless windows and logs why.
#include <cstdint>
#include <memory>

#include "platform/ui/IDisplayBackend.h"

namespace qv::ui::sdl {

class SdlVideoSession;

class SdlDisplay : public IDisplayBackend {
public:
    std::unique_ptr<INativeWindow> CreateNativeWindow() override;
    std::vector<DisplayArea> GetDisplays() const override;
    CPoint GetCursorPos() const override;

    // True while SDL's video is open (some native window exists).
    bool IsOpen() const { return !m_session.expired(); }
    // Times the X connection woke the loop since the session opened.
    std::uint64_t GetWakeCount() const;

private:
    std::weak_ptr<SdlVideoSession> m_session;
};

}  // namespace qv::ui::sdl
