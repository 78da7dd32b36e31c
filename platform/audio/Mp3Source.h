#pragma once
// MP3 (MPEG audio layer III) through libmad. Opening scans every frame header
// once: the first frame fixes rate, channels and version, frames of another
// kind are skipped, and the table of frame offsets gives the length and the
// seek points. An encoder's tag frame is no audio, and the delay and padding
// it names are trimmed (Mp3InfoTag.h): the source's frames are the sound the
// encoder was given. Decoding runs frame by frame as Read asks.
#include <mad.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/audio/Mp3InfoTag.h"
#include "platform/audio/PcmSource.h"

namespace qv::audio {

class Mp3Source final : public IPcmSource {
public:
    // Null with the reason when the bytes hold no layer III frame.
    static std::unique_ptr<Mp3Source> Open(std::vector<std::uint8_t> bytes, std::u16string& error);
    ~Mp3Source() override;
    Mp3Source(const Mp3Source&) = delete;
    Mp3Source& operator=(const Mp3Source&) = delete;

    int Rate() const override { return m_rate; }
    int Channels() const override { return m_channels; }
    std::uint64_t TotalFrames() const override { return m_totalFrames; }
    std::size_t Read(std::int16_t* out, std::size_t maxFrames) override;
    void Seek(std::uint64_t frame) override;

private:
    struct FrameEntry {
        std::uint32_t offset;      // of the frame's header in the bytes
        std::uint64_t firstFrame;  // decoded PCM frame the frame begins with
    };

    explicit Mp3Source(std::vector<std::uint8_t> bytes);
    bool Scan();
    bool Matches(const mad_header& header) const;
    // Restarts decoding at the frame table entry.
    void Restart(std::size_t entry);
    // The decoded PCM frame that the frame at the offset begins with.
    std::uint64_t DecodedFrameAt(std::uint32_t offset) const;
    // Decodes the next matching frame into m_pending; false at the end.
    bool DecodeNext();

    std::vector<std::uint8_t> m_bytes;  // the sound, then libmad's guard bytes
    std::size_t m_size = 0;             // of the sound alone
    std::size_t m_start = 0;            // after a leading ID3v2 tag and an encoder's tag frame
    std::optional<Mp3InfoTag> m_tag;
    std::vector<FrameEntry> m_frames;
    int m_rate = 0;
    int m_channels = 0;
    int m_layer = 0;
    int m_lsf = 0;  // MPEG-2/2.5 frames (half length) rather than MPEG-1
    // Decoded PCM frames count from the first audio frame; the sound is
    // [m_first, m_end) of them.
    std::uint64_t m_first = 0;
    std::uint64_t m_end = 0;
    std::uint64_t m_totalFrames = 0;

    mad_stream m_stream;
    mad_frame m_frame;
    mad_synth m_synth;
    bool m_ended = false;
    std::uint64_t m_decodedAt = 0;  // decoded PCM frame the next frame begins with
    std::uint64_t m_wanted = 0;     // the next decoded PCM frame Read hands out; those before only prime
    std::vector<std::int16_t> m_pending;
    std::size_t m_pendingFrames = 0;
    std::size_t m_pendingPos = 0;
};

}  // namespace qv::audio
