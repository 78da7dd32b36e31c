#include "platform/audio/Mp3FrameEnds.h"

#include <algorithm>

namespace qv::audio {

namespace {

// Kbit/s by bitrate index, Layer III: MPEG-1, then MPEG-2 and 2.5.
constexpr int kBitratesV1[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
constexpr int kBitratesV2[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
constexpr int kRatesV1[4] = {44100, 48000, 32000, 0};

}  // namespace

std::size_t Mp3FrameLength(const std::uint8_t* h) {
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) return 0;
    const int version = h[1] >> 3 & 3;  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5, 1 reserved
    const int layer = h[1] >> 1 & 3;    // 1 Layer III
    if (version == 1 || layer != 1) return 0;
    const bool mpeg1 = version == 3;
    const int kbps = (mpeg1 ? kBitratesV1 : kBitratesV2)[h[2] >> 4];
    const int rate = kRatesV1[h[2] >> 2 & 3] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    if (kbps == 0 || rate == 0) return 0;
    const int padding = h[2] >> 1 & 1;
    return static_cast<std::size_t>((mpeg1 ? 144000 : 72000) * kbps / rate + padding);
}

void Mp3FrameEnds::Feed(const std::uint8_t* bytes, std::size_t size) {
    while (size > 0 && !m_lost) {
        if (m_frameLeft == 0) {
            m_header[m_headerBytes++] = *bytes++;
            --size;
            ++m_fed;
            if (m_headerBytes < 4) continue;
            m_headerBytes = 0;
            const std::size_t length = Mp3FrameLength(m_header);
            if (length <= 4) m_lost = true;
            else m_frameLeft = length - 4;
            continue;
        }
        const std::size_t n = std::min(size, m_frameLeft);
        bytes += n;
        size -= n;
        m_fed += n;
        m_frameLeft -= n;
        if (m_frameLeft == 0) {
            m_wholeBytes = m_fed;
            ++m_wholeFrames;
        }
    }
}

}  // namespace qv::audio
