#include "platform/audio/PcmSource.h"

#include "platform/audio/Mp3Source.h"
#include "platform/audio/WavSource.h"

namespace qv::audio {

std::unique_ptr<IPcmSource> OpenPcmSource(std::vector<std::uint8_t> bytes, SourceFormat format,
                                          std::u16string& error) {
    if (format == SourceFormat::Detect && LooksLikeWav(bytes)) return WavSource::Open(std::move(bytes), error);
    return Mp3Source::Open(std::move(bytes), error);
}

}  // namespace qv::audio
