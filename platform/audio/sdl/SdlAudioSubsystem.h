#pragma once
// SDL's audio subsystem, open while any stream holds a lease: the first lease
// initialises it, the last one quits it, and SDL itself when nothing else of
// SDL runs (the UI's video session opens and closes its own subsystem), so
// nothing of it outlives a plug-in run.
#include <string>

namespace qv::audio::sdl {

class SdlAudioLease {
public:
    // Check IsHeld: without audio here the lease holds nothing and Error says why.
    SdlAudioLease();
    ~SdlAudioLease();
    SdlAudioLease(const SdlAudioLease&) = delete;
    SdlAudioLease& operator=(const SdlAudioLease&) = delete;

    bool IsHeld() const { return m_held; }
    const std::u16string& Error() const { return m_error; }

private:
    bool m_held = false;
    std::u16string m_error;
};

}  // namespace qv::audio::sdl
