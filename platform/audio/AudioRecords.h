#pragma once
// The records an audio stream fills in: a duration, a position, a status and
// a device's name. Positions count milliseconds, so a duration's units per
// second are 1000 whenever something is open and 0 when nothing is.
#include <cstdint>

namespace qv::audio {

// Hours, minutes and seconds of a whole number of seconds.
struct ClockTime {
    std::uint32_t hours = 0;
    std::uint32_t minutes = 0;
    std::uint32_t seconds = 0;
};
ClockTime ClockTimeOf(std::uint32_t wholeSeconds);

struct AudioDuration {
    std::uint32_t unitsPerSecond = 0;  // units of AudioPosition::milliseconds per second; 0: nothing open
    std::uint32_t wholeSeconds = 0;    // the length rounded to the nearest second
    std::uint32_t valid = 0;           // 1 when the length and its clock are known
    ClockTime clock;                   // the length as hours, minutes, seconds
};

struct AudioPosition {
    std::uint32_t milliseconds = 0;  // played (or recorded) so far; 0 once playback ended
    std::uint32_t wholeSeconds = 0;  // milliseconds / 1000
    ClockTime clock;                 // wholeSeconds as hours, minutes, seconds
};

struct AudioStatus {
    std::uint32_t running = 0;  // 1 while playing or recording
    std::uint32_t ready = 0;    // 1 while a sound (or a recording target) is open and can start
};

constexpr int kDeviceNameUnits = 256;
struct AudioDeviceInfo {
    char16_t name[kDeviceNameUnits] = {};  // zero-terminated, cut to fit
};

AudioDuration DurationOfMs(std::uint64_t milliseconds);
AudioPosition PositionOfMs(std::uint64_t milliseconds);

}  // namespace qv::audio
