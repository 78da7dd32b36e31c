// MP3 bytes of any content, decoded as the upload decodes them and converted
// for the card: frames stay in the first frame's format, no more than the
// time limit (plus one frame) comes out, and the image built of the
// converted samples reads back as the card's WAV. The bytes are also decoded
// behind an encoder's tag frame whose fields they fill, so that every input
// reaches the tag's parsing and trimming.
#include <mad.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "plugin/upload/ConvertForDevice.h"
#include "plugin/upload/Mp3Decode.h"
#include "plugin/upload/WaveHeader.h"
#include "plugin/upload/WaveImage.h"
#include "tests/support/Mp3TagFrame.h"

namespace {

constexpr int kLimitSeconds = 2;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "mp3 path fuzz: %s\n", what);
    std::abort();
}

void DecodeAndConvert(std::vector<std::uint8_t> mp3) {
    mp3.resize(mp3.size() + MAD_BUFFER_GUARD, 0);
    std::vector<std::uint8_t> pcm;
    const Mp3DecodeOutcome outcome = DecodeMp3(mp3, 0.8f, kLimitSeconds, [&pcm](std::span<const std::uint8_t> frame) {
        pcm.insert(pcm.end(), frame.begin(), frame.end());
        return true;
    });
    if (outcome.samples == 0) {
        if (!pcm.empty()) Fail("bytes without samples");
        return;
    }
    const PcmWaveFormat& f = outcome.format;
    if (f.channels < 1 || f.channels > 2 || f.bitsPerSample != 16) Fail("format");
    if (pcm.size() != static_cast<std::size_t>(outcome.samples) * f.blockAlign) Fail("samples and bytes disagree");
    if (outcome.samples > static_cast<std::uint64_t>(kLimitSeconds + 1) * f.samplesPerSec + 1152) Fail("past the limit");
    const auto converted = ConvertToDeviceSamples(pcm, f);
    if (!converted) return;
    const auto image = BuildWaveImage(*converted, kDeviceRate, 1, 16);
    const auto layout = ParseWaveHeader(image);
    if (!layout || layout->dataSize != converted->size() || layout->format.samplesPerSec != kDeviceRate)
        Fail("the image does not read back");
}

}  // namespace

int FuzzMp3Path(const std::uint8_t* data, std::size_t size) {
    DecodeAndConvert(std::vector<std::uint8_t>(data, data + size));
    DecodeAndConvert(qv::test::BehindTagFrame(data, size));
    return 0;
}

#ifdef QV_FUZZ_MAIN
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { return FuzzMp3Path(data, size); }
#endif
