#include "platform/audio/PcmSource.h"

#include "platform/audio/Mp3Source.h"
#include "platform/audio/WavSource.h"

namespace qv::audio {

std::unique_ptr<IPcmSource> OpenPcmSource(std::vector<std::uint8_t> bytes, SourceFormat format,
                                          std::u16string& error) {
    if (format == SourceFormat::Detect && LooksLikeWav(bytes)) return WavSource::Open(std::move(bytes), error);
    std::unique_ptr<IPcmSource> source = Mp3Source::Open(std::move(bytes), error);
    // A file may hold either kind: the reason names both.
    if (!source && format == SourceFormat::Detect) error = u"The file holds neither WAV nor MP3 audio.";
    return source;
}

}  // namespace qv::audio
