#pragma once
// libasound prints its errors ("ALSA lib pcm.c:2666:(snd_pcm_open_noupdate)
// Unknown PCM default") straight to stderr, several lines each time SDL
// probes a device on a machine without sound. They go to the log instead.
namespace qv::audio::sdl {

// Installs the log handler in libasound once per process; later calls do
// nothing. Any thread.
void RouteAlsaMessagesToLog();

}  // namespace qv::audio::sdl
