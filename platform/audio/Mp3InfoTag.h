#pragma once
// The tag frame that LAME and most encoders write before an MP3's audio: a
// layer III frame that holds no sound but an "Info" or "Xing" header (or a
// "VBRI" one), and, in LAME's extension of the first two, the encoder's delay
// and padding. A decoder skips the frame and trims those samples, plus the
// decoder's own delay, so that the sound decodes to the length it was encoded
// from and starts with its first sample.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace qv::audio {

// Samples that layer III decoding itself (libmad's too) puts before the sound.
inline constexpr std::uint32_t kMp3DecoderDelay = 529;

struct Mp3InfoTag {
    std::size_t audioOffset = 0;  // of the frame after the tag frame
    std::uint32_t frames = 0;     // audio frames the tag counts; 0 when it does not
    std::uint32_t startSkip = 0;  // decoded samples before the sound: encoder delay + 529
    std::uint32_t endSkip = 0;    // decoded samples after it: padding - 529, at least 0

    // The decoded samples that are the sound, [first, end), in a stream of
    // audioFrames frames of frameSamples samples each (the tag frame not
    // counted). The end is trimmed only when the stream ends where the tag
    // says; fields that would trim more than the stream holds trim nothing.
    struct Span {
        std::uint64_t first = 0;
        std::uint64_t end = 0;
    };
    Span Sound(std::uint64_t audioFrames, unsigned frameSamples) const;
};

// Where the MPEG data starts: after an ID3v2 tag at the start of the bytes.
std::size_t Mp3DataStart(std::span<const std::uint8_t> bytes);

// The tag when the first layer III frame at or after `from` is one, else
// nothing. bytes: the MP3 followed by libmad's guard bytes (MAD_BUFFER_GUARD
// zeros), as the decoders take them; nothing is read outside the frame.
std::optional<Mp3InfoTag> FindMp3InfoTag(std::span<const std::uint8_t> bytes, std::size_t from);

}  // namespace qv::audio
