#include "platform/audio/Mp3Encoder.h"

#include <lame/lame.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/os/AtomicFile.h"
#include "platform/os/Path.h"
#include "platform/os/Utf.h"

namespace qv::audio {

namespace {

constexpr int kKbitPerChannel = 96;
// LAME's algorithm quality, 0 best .. 9 fastest: 5 keeps encoding far below
// real time at a quality that suits line recordings.
constexpr int kQuality = 5;

std::u16string ErrnoText(const char16_t* what, int error) {
    return std::u16string(what) + qv::os::Utf8ToUtf16(std::strerror(error));
}

}  // namespace

std::unique_ptr<Mp3Encoder> Mp3Encoder::Create(const std::u16string& path, int rate, int channels,
                                               std::u16string& error) {
    lame_global_flags* lame = lame_init();
    if (!lame) {
        error = u"The MP3 encoder cannot start.";
        return nullptr;
    }
    lame_set_in_samplerate(lame, rate);
    lame_set_out_samplerate(lame, rate);
    lame_set_num_channels(lame, channels);
    lame_set_mode(lame, channels == 1 ? MONO : JOINT_STEREO);
    lame_set_brate(lame, kKbitPerChannel * channels);
    lame_set_quality(lame, kQuality);
    lame_set_bWriteVbrTag(lame, 0);
    if (channels < 1 || channels > 2 || lame_init_params(lame) < 0) {
        lame_close(lame);
        error = u"The MP3 encoder does not take this format.";
        return nullptr;
    }
    // A new file in the name's place: a link there is never written through.
    qv::os::UniqueFd file = qv::os::CreateFileInPlaceOf(qv::os::NativePath(path), 0644);
    if (!file) {
        const int err = errno;
        lame_close(lame);
        error = ErrnoText(u"The recording file cannot be created: ", err);
        return nullptr;
    }
    return std::unique_ptr<Mp3Encoder>(new Mp3Encoder(lame, std::move(file), channels));
}

Mp3Encoder::Mp3Encoder(lame_global_struct* lame, qv::os::UniqueFd file, int channels)
    : m_lame(lame), m_file(std::move(file)), m_channels(channels) {}

Mp3Encoder::~Mp3Encoder() { lame_close(m_lame); }

bool Mp3Encoder::Write(int bytes) {
    const unsigned char* p = m_out.data();
    while (bytes > 0 && m_writeErrno == 0) {
        const ssize_t n = ::write(m_file.Get(), p, static_cast<std::size_t>(bytes));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            m_writeErrno = n < 0 ? errno : EIO;
            break;
        }
        p += n;
        bytes -= static_cast<int>(n);
    }
    return m_writeErrno == 0;
}

bool Mp3Encoder::Encode(const std::int16_t* frames, std::size_t count) {
    if (m_writeErrno != 0) return false;
    // LAME's worst case for count frames, per its documentation.
    m_out.resize(count * 5 / 4 + 7200);
    const int bytes =
        m_channels == 2
            ? lame_encode_buffer_interleaved(m_lame, const_cast<short*>(frames), static_cast<int>(count), m_out.data(),
                                             static_cast<int>(m_out.size()))
            : lame_encode_buffer(m_lame, frames, nullptr, static_cast<int>(count), m_out.data(),
                                 static_cast<int>(m_out.size()));
    if (bytes < 0) {
        m_writeErrno = EINVAL;
        return false;
    }
    return Write(bytes);
}

bool Mp3Encoder::Finish(std::u16string& error) {
    if (m_writeErrno == 0) {
        m_out.resize(7200);
        const int bytes = lame_encode_flush(m_lame, m_out.data(), static_cast<int>(m_out.size()));
        if (bytes > 0) Write(bytes);
    }
    if (m_file && ::close(m_file.Release()) != 0 && m_writeErrno == 0) m_writeErrno = errno;
    if (m_writeErrno == 0) return true;
    error = ErrnoText(u"The recording could not be written: ", m_writeErrno);
    return false;
}

}  // namespace qv::audio
