#include "platform/audio/Mp3Source.h"

#include <algorithm>
#include <cstring>

namespace qv::audio {

namespace {

int PcmFramesOf(const mad_header& header) { return 32 * MAD_NSBSAMPLES(&header); }

std::int16_t ToS16(mad_fixed_t sample) {
    sample += 1L << (MAD_F_FRACBITS - 16);  // round
    sample = std::clamp<mad_fixed_t>(sample, -MAD_F_ONE, MAD_F_ONE - 1);
    return static_cast<std::int16_t>(sample >> (MAD_F_FRACBITS + 1 - 16));
}

}  // namespace

std::unique_ptr<Mp3Source> Mp3Source::Open(std::vector<std::uint8_t> bytes, std::u16string& error) {
    if (bytes.size() > kMaxSoundBytes) {
        error = u"The sound is too large.";
        return nullptr;
    }
    std::unique_ptr<Mp3Source> source(new Mp3Source(std::move(bytes)));
    if (!source->Scan()) {
        error = u"The data holds no MP3 audio.";
        return nullptr;
    }
    source->Restart(0);
    source->m_wanted = source->m_first;
    return source;
}

Mp3Source::Mp3Source(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {
    m_size = m_bytes.size();
    // libmad reads up to MAD_BUFFER_GUARD bytes past a frame; zeros there let
    // the last frame decode.
    m_bytes.resize(m_size + MAD_BUFFER_GUARD, 0);
    m_start = Mp3DataStart(std::span(m_bytes).first(m_size));
    m_tag = FindMp3InfoTag(m_bytes, m_start);
    if (m_tag) m_start = m_tag->audioOffset;
    mad_stream_init(&m_stream);
    mad_frame_init(&m_frame);
    mad_synth_init(&m_synth);
}

Mp3Source::~Mp3Source() {
    mad_synth_finish(&m_synth);
    mad_frame_finish(&m_frame);
    mad_stream_finish(&m_stream);
}

bool Mp3Source::Matches(const mad_header& header) const {
    return header.layer == m_layer && header.samplerate == static_cast<unsigned>(m_rate) &&
           static_cast<int>(MAD_NCHANNELS(&header)) == m_channels &&
           ((header.flags & MAD_FLAG_LSF_EXT) != 0) == (m_lsf != 0);
}

bool Mp3Source::Scan() {
    mad_stream stream;
    mad_header header;
    mad_stream_init(&stream);
    mad_header_init(&header);
    mad_stream_buffer(&stream, m_bytes.data() + m_start, m_bytes.size() - m_start);
    for (;;) {
        if (mad_header_decode(&header, &stream) != 0) {
            if (MAD_RECOVERABLE(stream.error)) continue;
            break;  // MAD_ERROR_BUFLEN: the end
        }
        if (m_frames.empty()) {
            if (header.layer != MAD_LAYER_III || header.samplerate == 0) continue;
            m_layer = header.layer;
            m_rate = static_cast<int>(header.samplerate);
            m_channels = static_cast<int>(MAD_NCHANNELS(&header));
            m_lsf = (header.flags & MAD_FLAG_LSF_EXT) ? 1 : 0;
        } else if (!Matches(header)) {
            continue;
        }
        const auto offset = static_cast<std::uint32_t>(stream.this_frame - m_bytes.data());
        m_frames.push_back({offset, m_totalFrames});
        m_totalFrames += static_cast<std::uint64_t>(PcmFramesOf(header));
    }
    mad_header_finish(&header);
    mad_stream_finish(&stream);
    if (m_frames.empty()) return false;
    // Every frame in the table holds as many samples as the first.
    const auto frameSamples = static_cast<unsigned>(m_totalFrames / m_frames.size());
    const Mp3InfoTag::Span sound =
        m_tag ? m_tag->Sound(m_frames.size(), frameSamples) : Mp3InfoTag::Span{0, m_totalFrames};
    m_first = sound.first;
    m_end = sound.end;
    m_totalFrames = m_end - m_first;
    return m_totalFrames > 0;
}

std::uint64_t Mp3Source::DecodedFrameAt(std::uint32_t offset) const {
    const auto it = std::lower_bound(m_frames.begin(), m_frames.end(), offset,
                                     [](const FrameEntry& e, std::uint32_t o) { return e.offset < o; });
    // A frame the scan did not see follows on from the one before.
    return it != m_frames.end() && it->offset == offset ? it->firstFrame : m_decodedAt;
}

void Mp3Source::Restart(std::size_t entry) {
    mad_synth_finish(&m_synth);
    mad_frame_finish(&m_frame);
    mad_stream_finish(&m_stream);
    mad_stream_init(&m_stream);
    mad_frame_init(&m_frame);
    mad_synth_init(&m_synth);
    const std::size_t offset = entry < m_frames.size() ? m_frames[entry].offset : m_start;
    mad_stream_buffer(&m_stream, m_bytes.data() + offset, m_bytes.size() - offset);
    m_ended = false;
    m_pendingFrames = 0;
    m_pendingPos = 0;
    m_decodedAt = entry < m_frames.size() ? m_frames[entry].firstFrame : m_end;
    m_wanted = m_decodedAt;
}

void Mp3Source::Seek(std::uint64_t frame) {
    if (frame >= m_totalFrames) {
        Restart(m_frames.size());
        m_ended = true;
        return;
    }
    // The frame holding the target, reached through two frames before it:
    // layer III frames draw on the bytes of the frames before them.
    const std::uint64_t decoded = m_first + frame;
    const auto it = std::upper_bound(m_frames.begin(), m_frames.end(), decoded,
                                     [](std::uint64_t f, const FrameEntry& e) { return f < e.firstFrame; });
    const auto target = static_cast<std::size_t>(it - m_frames.begin()) - 1;
    Restart(target >= 2 ? target - 2 : 0);
    m_wanted = decoded;
}

bool Mp3Source::DecodeNext() {
    while (!m_ended) {
        if (mad_header_decode(&m_frame.header, &m_stream) != 0) {
            if (MAD_RECOVERABLE(m_stream.error)) continue;
            m_ended = true;
            break;
        }
        if (!Matches(m_frame.header)) {
            m_frame.header.flags &= ~MAD_FLAG_INCOMPLETE;
            continue;
        }
        // The header is read; this decodes the frame's audio. After an error
        // that is not recoverable libmad would read the same frame again.
        if (mad_frame_decode(&m_frame, &m_stream) != 0) {
            if (MAD_RECOVERABLE(m_stream.error)) continue;
            m_ended = true;
            break;
        }
        mad_synth_frame(&m_synth, &m_frame);
        const mad_pcm& pcm = m_synth.pcm;
        const std::size_t frames = std::min<std::size_t>(pcm.length, 1152);
        const std::uint64_t at = DecodedFrameAt(static_cast<std::uint32_t>(m_stream.this_frame - m_bytes.data()));
        m_decodedAt = at + frames;
        if (at >= m_end) {
            m_ended = true;
            break;
        }
        // Frames before the one wanted next only prime the decoder; the
        // encoder's delay and padding are not handed out.
        const std::uint64_t from = std::max(at, m_wanted);
        const std::uint64_t to = std::min(at + frames, m_end);
        if (from >= to) continue;
        m_pending.resize(frames * static_cast<std::size_t>(m_channels));
        std::size_t n = 0;
        for (auto i = static_cast<std::size_t>(from - at); i < static_cast<std::size_t>(to - at); ++i)
            for (int c = 0; c < m_channels; ++c) m_pending[n++] = ToS16(pcm.samples[c][i]);
        m_pendingFrames = static_cast<std::size_t>(to - from);
        m_pendingPos = 0;
        m_wanted = to;
        return true;
    }
    return false;
}

std::size_t Mp3Source::Read(std::int16_t* out, std::size_t maxFrames) {
    std::size_t produced = 0;
    while (produced < maxFrames) {
        if (m_pendingPos == m_pendingFrames && !DecodeNext()) break;
        const std::size_t n = std::min(maxFrames - produced, m_pendingFrames - m_pendingPos);
        std::memcpy(out + produced * static_cast<std::size_t>(m_channels),
                    m_pending.data() + m_pendingPos * static_cast<std::size_t>(m_channels),
                    n * static_cast<std::size_t>(m_channels) * sizeof(std::int16_t));
        produced += n;
        m_pendingPos += n;
    }
    return produced;
}

}  // namespace qv::audio
