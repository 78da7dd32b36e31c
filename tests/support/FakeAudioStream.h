#pragma once
// Streams that report what a test sets: a length, a position and levels,
// running from Start to Stop. Every open and start succeeds. While a
// FakeAudioStreams lives, CreateAudioStream makes these instead of streams
// of the backend, all reading its script.
#include "platform/audio/AudioStream.h"

namespace qv::test {

struct FakeStreamScript {
    audio::AudioDuration duration;
    audio::AudioPosition position;
    int levels[2] = {0, 0};
};

class FakeAudioStreams {
public:
    FakeAudioStreams();
    ~FakeAudioStreams();
    FakeAudioStreams(const FakeAudioStreams&) = delete;
    FakeAudioStreams& operator=(const FakeAudioStreams&) = delete;

    FakeStreamScript script;
};

}  // namespace qv::test
