#include "plugin/upload/WaveImage.h"

#include <algorithm>

#include "plugin/upload/WaveHeader.h"

std::vector<std::uint8_t> BuildWaveImage(std::span<const std::uint8_t> samples, std::uint32_t rate,
                                         std::uint16_t channels, std::uint16_t bits) {
    const auto header = MakeWaveHeader(MakePcmFormat(channels, rate, bits), samples.size());
    if (!header) return {};
    std::vector<std::uint8_t> image(header->size() + samples.size());
    std::copy(header->begin(), header->end(), image.begin());
    std::copy(samples.begin(), samples.end(), image.begin() + static_cast<std::ptrdiff_t>(header->size()));
    return image;
}
