#include "platform/audio/Mp3Encoder.h"

#include <fcntl.h>
#include <lame/lame.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
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

std::atomic<Mp3Encoder::WriteHook> g_writeHook{nullptr};

std::u16string ErrnoText(const char16_t* what, int error) {
    return std::u16string(what) + qv::os::Utf8ToUtf16(std::strerror(error));
}

}  // namespace

void Mp3Encoder::SetWriteHook(WriteHook hook) { g_writeHook.store(hook); }

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
    std::string target = qv::os::NativePath(path);
    std::string temp;
    qv::os::UniqueFd file = target.empty() ? qv::os::UniqueFd() : qv::os::CreateTempFileBeside(target, temp);
    if (!file || fchmod(file.Get(), 0644) != 0) {
        const int err = target.empty() ? ENOENT : errno;
        if (file) unlink(temp.c_str());
        lame_close(lame);
        error = ErrnoText(u"The recording file cannot be created: ", err);
        return nullptr;
    }
    return std::unique_ptr<Mp3Encoder>(
        new Mp3Encoder(lame, std::move(file), std::move(temp), std::move(target), channels));
}

Mp3Encoder::Mp3Encoder(lame_global_struct* lame, qv::os::UniqueFd file, std::string tempPath, std::string targetPath,
                       int channels)
    : m_lame(lame),
      m_file(std::move(file)),
      m_tempPath(std::move(tempPath)),
      m_targetPath(std::move(targetPath)),
      m_channels(channels) {}

Mp3Encoder::~Mp3Encoder() {
    lame_close(m_lame);
    if (!m_finished) {
        m_file.Reset();
        unlink(m_tempPath.c_str());
    }
}

bool Mp3Encoder::Write(int bytes) {
    const WriteHook hook = g_writeHook.load();
    const unsigned char* p = m_out.data();
    while (bytes > 0 && m_writeErrno == 0) {
        const std::size_t size = static_cast<std::size_t>(bytes);
        const ssize_t n = hook ? hook(m_file.Get(), p, size) : ::write(m_file.Get(), p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            m_writeErrno = n < 0 ? errno : EIO;
            break;
        }
        m_ends.Feed(p, static_cast<std::size_t>(n));
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
    m_framesIn += count;
    return Write(bytes);
}

bool Mp3Encoder::Finish(std::u16string& error) {
    if (m_finished) return true;
    // Nothing recorded: no flush, whose silent frames would replace the take.
    if (m_writeErrno == 0 && m_framesIn > 0) {
        m_out.resize(7200);
        const int bytes = lame_encode_flush(m_lame, m_out.data(), static_cast<int>(m_out.size()));
        if (bytes > 0) Write(bytes);
    }
    const bool committed = Commit(error);
    m_finished = true;
    if (m_writeErrno == 0) return committed;
    error = ErrnoText(u"The recording could not be written: ", m_writeErrno);
    return false;
}

bool Mp3Encoder::Commit(std::u16string& error) {
    const std::uint64_t whole = m_ends.WholeBytes();
    int err = 0;
    // A failed write may have left part of a frame behind the whole ones.
    if (whole > 0 && m_writeErrno != 0 && ftruncate(m_file.Get(), static_cast<off_t>(whole)) != 0) err = errno;
    if (whole > 0 && err == 0 && fdatasync(m_file.Get()) != 0) err = errno;
    if (::close(m_file.Release()) != 0 && err == 0) err = errno;
    if (whole > 0 && err == 0 && std::rename(m_tempPath.c_str(), m_targetPath.c_str()) == 0) return true;
    if (whole > 0 && err == 0) err = errno;
    unlink(m_tempPath.c_str());
    if (err == 0) return true;  // nothing to keep: the target stays
    error = ErrnoText(u"The recording could not be kept: ", err);
    return false;
}

}  // namespace qv::audio
