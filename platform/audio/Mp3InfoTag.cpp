#include "platform/audio/Mp3InfoTag.h"

#include <mad.h>

#include <algorithm>
#include <cstring>

namespace qv::audio {

namespace {

// Xing header flags: which optional fields follow them.
constexpr std::uint32_t kHasFrames = 0x1;
constexpr std::uint32_t kHasBytes = 0x2;
constexpr std::uint32_t kHasToc = 0x4;
constexpr std::uint32_t kHasQuality = 0x8;
// LAME's extension: a 9-byte encoder name and 12 bytes of fields, then the
// delay and the padding as two 12-bit numbers.
constexpr std::size_t kLameDelayAt = 21;
// A VBRI header sits at a fixed place: after the header and 32 bytes.
constexpr std::size_t kVbriAt = 4 + 32;

// Reads forward through one frame's bytes; a read past its end fails.
class FrameReader {
public:
    FrameReader(const std::uint8_t* begin, const std::uint8_t* end) : m_at(begin), m_end(end) {}
    bool Skip(std::size_t n) {
        if (static_cast<std::size_t>(m_end - m_at) < n) return false;
        m_at += n;
        return true;
    }
    bool Is(const char* text) const {
        const std::size_t n = std::strlen(text);
        return static_cast<std::size_t>(m_end - m_at) >= n && std::memcmp(m_at, text, n) == 0;
    }
    std::optional<std::uint32_t> BigEndian(std::size_t n) {
        if (static_cast<std::size_t>(m_end - m_at) < n) return std::nullopt;
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < n; ++i) value = value << 8 | m_at[i];
        m_at += n;
        return value;
    }

private:
    const std::uint8_t* m_at;
    const std::uint8_t* m_end;
};

std::size_t SideInfoBytes(const mad_header& header) {
    const bool mono = header.mode == MAD_MODE_SINGLE_CHANNEL;
    const bool lsf = (header.flags & MAD_FLAG_LSF_EXT) != 0;
    const std::size_t crc = (header.flags & MAD_FLAG_PROTECTION) ? 2 : 0;
    return crc + (lsf ? (mono ? 9 : 17) : (mono ? 17 : 32));
}

// The Xing/Info header's fields from its flags on, and LAME's delay and
// padding after them when an encoder that writes them made the file.
void ReadXingFields(FrameReader reader, Mp3InfoTag& tag) {
    const auto flags = reader.BigEndian(4);
    if (!flags) return;
    if (*flags & kHasFrames) {
        const auto frames = reader.BigEndian(4);
        if (!frames) return;
        tag.frames = *frames;
    }
    if ((*flags & kHasBytes) && !reader.Skip(4)) return;
    if ((*flags & kHasToc) && !reader.Skip(100)) return;
    if ((*flags & kHasQuality) && !reader.Skip(4)) return;
    if (!reader.Is("LAME") && !reader.Is("Lavf") && !reader.Is("Lavc")) return;
    if (!reader.Skip(kLameDelayAt)) return;
    const auto delays = reader.BigEndian(3);
    if (!delays) return;
    const std::uint32_t delay = *delays >> 12;
    const std::uint32_t padding = *delays & 0xFFF;
    tag.startSkip = delay + kMp3DecoderDelay;
    tag.endSkip = padding > kMp3DecoderDelay ? padding - kMp3DecoderDelay : 0;
}

}  // namespace

std::size_t Mp3DataStart(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 10 || std::memcmp(bytes.data(), "ID3", 3) != 0) return 0;
    std::size_t length = 10;
    for (std::size_t i = 6; i < 10; ++i) {
        if (bytes[i] & 0x80) return 0;  // not a syncsafe size: not a tag
        length += static_cast<std::size_t>(bytes[i]) << (7 * (9 - i));
    }
    if (bytes[5] & 0x10) length += 10;  // footer
    return std::min(length, bytes.size());
}

Mp3InfoTag::Span Mp3InfoTag::Sound(std::uint64_t audioFrames, unsigned frameSamples) const {
    const std::uint64_t total = audioFrames * frameSamples;
    const std::uint64_t endTrim = frames != 0 && frames == audioFrames ? endSkip : 0;
    if (static_cast<std::uint64_t>(startSkip) + endTrim > total) return {0, total};
    return {startSkip, total - endTrim};
}

std::optional<Mp3InfoTag> FindMp3InfoTag(std::span<const std::uint8_t> bytes, std::size_t from) {
    if (from >= bytes.size()) return std::nullopt;
    mad_stream stream;
    mad_header header;
    mad_stream_init(&stream);
    mad_header_init(&header);
    mad_stream_buffer(&stream, bytes.data() + from, bytes.size() - from);
    bool found = false;
    for (;;) {
        if (mad_header_decode(&header, &stream) != 0) {
            if (MAD_RECOVERABLE(stream.error)) continue;
            break;
        }
        if (header.layer != MAD_LAYER_III || header.samplerate == 0) continue;
        found = true;
        break;
    }
    std::optional<Mp3InfoTag> tag;
    if (found) {
        // libmad has checked that the whole frame lies in the bytes.
        const std::uint8_t* frame = stream.this_frame;
        const std::uint8_t* end = stream.next_frame;
        FrameReader xing(frame, end);
        FrameReader vbri(frame, end);
        const bool isXing = xing.Skip(4 + SideInfoBytes(header)) && (xing.Is("Xing") || xing.Is("Info"));
        const bool isVbri = vbri.Skip(kVbriAt) && vbri.Is("VBRI");
        if (isXing || isVbri) {
            tag.emplace();
            tag->audioOffset = static_cast<std::size_t>(end - bytes.data());
            if (isXing && xing.Skip(4)) ReadXingFields(xing, *tag);
        }
    }
    mad_header_finish(&header);
    mad_stream_finish(&stream);
    return tag;
}

}  // namespace qv::audio
