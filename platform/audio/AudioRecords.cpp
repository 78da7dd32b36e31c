#include "platform/audio/AudioRecords.h"

#include <algorithm>
#include <limits>

namespace qv::audio {

namespace {

std::uint32_t Clamp32(std::uint64_t value) {
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(value, std::numeric_limits<std::uint32_t>::max()));
}

}  // namespace

ClockTime ClockTimeOf(std::uint32_t wholeSeconds) {
    return {wholeSeconds / 3600, wholeSeconds % 3600 / 60, wholeSeconds % 60};
}

AudioDuration DurationOfMs(std::uint64_t milliseconds) {
    AudioDuration duration;
    duration.unitsPerSecond = 1000;
    duration.wholeSeconds = Clamp32((milliseconds + 500) / 1000);
    duration.valid = 1;
    duration.clock = ClockTimeOf(duration.wholeSeconds);
    return duration;
}

AudioPosition PositionOfMs(std::uint64_t milliseconds) {
    AudioPosition position;
    position.milliseconds = Clamp32(milliseconds);
    position.wholeSeconds = position.milliseconds / 1000;
    position.clock = ClockTimeOf(position.wholeSeconds);
    return position;
}

}  // namespace qv::audio
