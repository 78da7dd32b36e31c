// Any bytes opened as MP3 from memory: the decoder reads no more frames than
// the length it reported and seeks within it, and a player opens the bytes
// and plays them to SDL's dummy driver until its first block or their end.
// The bytes are also decoded behind an encoder's tag frame whose fields they
// fill, so that every input reaches the tag's parsing and trimming.
#include <stdlib.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/audio/AudioStream.h"
#include "platform/audio/PcmSource.h"
#include "tests/support/Mp3TagFrame.h"

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "mp3 input fuzz: %s\n", what);
    std::abort();
}

std::uint64_t ReadToEnd(qv::audio::IPcmSource& source) {
    std::vector<std::int16_t> buffer(4096 * static_cast<std::size_t>(source.Channels()));
    std::uint64_t frames = 0;
    while (std::size_t n = source.Read(buffer.data(), 4096)) {
        frames += n;
        if (frames > source.TotalFrames()) Fail("decoded past the reported length");
    }
    return frames;
}

void Decode(const std::uint8_t* data, std::size_t size) {
    std::u16string error;
    auto source = qv::audio::OpenPcmSource(std::vector<std::uint8_t>(data, data + size), qv::audio::SourceFormat::Mp3,
                                           error);
    if (!source) {
        if (error.empty()) Fail("refused without a reason");
        return;
    }
    if (source->Channels() < 1 || source->Channels() > 2 || source->Rate() <= 0) Fail("impossible format");
    ReadToEnd(*source);
    source->Seek(source->TotalFrames() / 2);
    ReadToEnd(*source);
    source->Seek(source->TotalFrames() + 1);
    if (ReadToEnd(*source) != 0) Fail("read past the end after a seek there");
}

// One player serves every input, as the sound page's player serves every
// pad: its device stays open and each input replaces the sound before.
qv::audio::IAudioStream*& Player() {
    static qv::audio::IAudioStream* player = nullptr;
    return player;
}

void Play(const std::uint8_t* data, std::size_t size) {
    if (!Player()) Player() = qv::audio::CreateAudioStream();
    qv::audio::IAudioStream* player = Player();
    if (!player) Fail("no stream");
    if (!player->OpenMemory(data, size, qv::audio::MemoryFormat::Mp3)) {
        if (!*player->GetLastErrorText()) Fail("open failed without a reason");
        return;
    }
    qv::audio::AudioDuration duration;
    if (!player->GetDuration(&duration) || duration.unitsPerSecond != 1000) Fail("no duration");
    if (!player->Start()) Fail("an opened sound did not start");
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    qv::audio::AudioStatus status;
    qv::audio::AudioPosition position;
    while (player->GetStatus(&status) && status.running && player->GetPosition(&position) &&
           position.milliseconds == 0) {
        if (std::chrono::steady_clock::now() > end) Fail("the dummy device never took a block");
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

}  // namespace

int FuzzMp3Input(const std::uint8_t* data, std::size_t size) {
    static const bool driver = [] { return setenv("SDL_AUDIODRIVER", "dummy", 0) == 0; }();
    (void)driver;
    Decode(data, size);
    const std::vector<std::uint8_t> tagged = qv::test::BehindTagFrame(data, size);
    Decode(tagged.data(), tagged.size());
    Play(data, size);
    return 0;
}

// Releases the player the inputs shared.
void EndMp3InputFuzz() {
    if (Player()) Player()->Release();
    Player() = nullptr;
}

#ifdef QV_FUZZ_MAIN
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { return FuzzMp3Input(data, size); }
#endif
