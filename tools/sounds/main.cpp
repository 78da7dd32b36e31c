// soundmaker: makes the ten sounds of the built-in pads and encodes them to
// MP3 with LAME, one file per sound named after its resource.
//
// The files under skin/sounds/ are its output, committed with the sources.
// Remake them all after changing a sound with
//   cmake --build <build dir> --target skin_sounds
// which runs: soundmaker <repository>/skin/sounds
#include <cstdio>
#include <string>

#include "platform/audio/Mp3Encoder.h"
#include "platform/os/Utf.h"
#include "tools/sounds/SkinSounds.h"
#include "tools/sounds/Synth.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    int failures = 0;
    for (const qv::soundtool::SkinSound& sound : qv::soundtool::AllSkinSounds()) {
        const std::string path = std::string(argv[1]) + "/" + sound.name + ".mp3";
        const std::vector<std::int16_t> pcm = sound.make();
        std::u16string error;
        auto encoder = qv::audio::Mp3Encoder::Create(qv::os::Utf8ToUtf16(path), qv::soundtool::kRate, 1, error);
        if (!encoder || !encoder->Encode(pcm.data(), pcm.size()) || !encoder->Finish(error)) {
            std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), qv::os::Utf16ToUtf8(error).c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
