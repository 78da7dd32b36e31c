#include "platform/audio/sdl/AlsaMessages.h"

#include <alsa/asoundlib.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/os/Log.h"

namespace qv::audio::sdl {

namespace {

__attribute__((format(printf, 5, 6))) void LogAlsaMessage(const char* file, int line, const char* function, int err,
                                                          const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    qv::os::LogPrintf(qv::os::kLogInfo, file, line, function ? function : "", nullptr, "ALSA: %s%s%s", text,
                      err ? ": " : "", err ? snd_strerror(err) : "");
}

}  // namespace

void RouteAlsaMessagesToLog() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(&LogAlsaMessage); });
}

}  // namespace qv::audio::sdl
