#include "tools/catalogsim/SampleSounds.h"

#include <lame/lame.h>

#include <cstdint>
#include <vector>

#include "tools/sounds/SkinSounds.h"
#include "tools/sounds/Synth.h"

namespace catalogsim {
namespace {

constexpr int kKbit = 96;

std::string EncodeMono(const std::vector<std::int16_t>& pcm) {
    lame_global_flags* lame = lame_init();
    if (!lame) return {};
    lame_set_in_samplerate(lame, qv::soundtool::kRate);
    lame_set_out_samplerate(lame, qv::soundtool::kRate);
    lame_set_num_channels(lame, 1);
    lame_set_mode(lame, MONO);
    lame_set_brate(lame, kKbit);
    lame_set_bWriteVbrTag(lame, 0);
    std::string mp3;
    if (lame_init_params(lame) == 0) {
        // LAME's bound for one call, and room for the flush.
        std::vector<unsigned char> out(pcm.size() * 5 / 4 + 7200 + 7200);
        const int samples = static_cast<int>(pcm.size());
        const int encoded = lame_encode_buffer(lame, pcm.data(), pcm.data(), samples, out.data(),
                                               static_cast<int>(out.size()));
        const int flushed = encoded < 0 ? -1
                                        : lame_encode_flush(lame, out.data() + encoded,
                                                            static_cast<int>(out.size()) - encoded);
        if (flushed >= 0) mp3.assign(reinterpret_cast<const char*>(out.data()), static_cast<std::size_t>(encoded + flushed));
    }
    lame_close(lame);
    return mp3;
}

}  // namespace

std::string SkinSoundMp3(const std::string& name) {
    for (const qv::soundtool::SkinSound& sound : qv::soundtool::AllSkinSounds())
        if (name == sound.name) return EncodeMono(sound.make());
    return {};
}

}  // namespace catalogsim
