#include "platform/audio/sdl/SdlAudioSubsystem.h"

#include <SDL.h>

#include <mutex>

#include "platform/audio/sdl/AlsaMessages.h"
#include "platform/os/Log.h"
#include "platform/os/Utf.h"

namespace qv::audio::sdl {

namespace {

std::mutex g_mutex;
int g_leases = 0;

}  // namespace

SdlAudioLease::SdlAudioLease() {
    RouteAlsaMessagesToLog();
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_leases == 0 && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        m_error = u"Audio is not available: " + qv::os::Utf8ToUtf16(SDL_GetError());
        QV_LOGE("SDL audio: %s", SDL_GetError());
        return;
    }
    ++g_leases;
    m_held = true;
}

SdlAudioLease::~SdlAudioLease() {
    if (!m_held) return;
    std::lock_guard<std::mutex> lock(g_mutex);
    if (--g_leases > 0) return;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
}

}  // namespace qv::audio::sdl
