#include "plugin/upload/CLibmadDecoder.h"

#include <mad.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <system_error>
#include <type_traits>

#include "platform/os/Log.h"
#include "platform/os/Path.h"
#include "platform/ui/SApplication.h"
#include "plugin/AppEvents.h"
#include "plugin/upload/Mp3Source.h"
#include "plugin/upload/TempWaveFile.h"
#include "plugin/upload/WaveHeader.h"

static_assert(std::is_same_v<mad_fixed_t, std::int32_t>, "ScaleSamples takes libmad's samples as they are");

namespace {

// How much nicer than its starter the decoder thread runs.
constexpr int kBelowNormalNice = 4;
constexpr std::int64_t kRounding = 1 << (MAD_F_FRACBITS - 16);
constexpr std::int64_t kMin = -MAD_F_ONE;
constexpr std::int64_t kMax = MAD_F_ONE - 1;
constexpr int kShift = MAD_F_FRACBITS + 1 - 16;

std::int16_t ScaleOne(std::int32_t sample, float gain) {
    const std::int64_t clipped = std::clamp<std::int64_t>(static_cast<std::int64_t>(sample) + kRounding, kMin, kMax);
    const auto value = static_cast<std::int32_t>(clipped >> kShift);
    return static_cast<std::int16_t>(static_cast<std::int32_t>(std::trunc(static_cast<float>(value) * gain)));
}

void Put16(std::uint8_t* out, std::int16_t v) {
    const auto u = static_cast<std::uint16_t>(v);
    out[0] = static_cast<std::uint8_t>(u);
    out[1] = static_cast<std::uint8_t>(u >> 8);
}

void LowerThreadPriority() {
    const auto tid = static_cast<id_t>(::gettid());
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, tid);
    if (errno == 0 && ::setpriority(PRIO_PROCESS, tid, std::min(nice + kBelowNormalNice, 19)) != 0)
        QV_LOGW("the decoder runs at the normal priority");
}

}  // namespace

// libmad's callbacks, with the decoder as their data.
struct CLibmadDecoder::MadCallbacks {
    static mad_flow Input(void* data, mad_stream* stream) {
        auto* self = static_cast<CLibmadDecoder*>(data);
        if (self->m_mp3Given || self->m_mp3.empty() || self->m_stop) return MAD_FLOW_STOP;
        mad_stream_buffer(stream, self->m_mp3.data(), self->m_mp3.size());
        self->m_mp3Given = true;
        return MAD_FLOW_CONTINUE;
    }
    static mad_flow Filter(void*, const mad_stream*, mad_frame*) { return MAD_FLOW_CONTINUE; }
    static mad_flow Error(void*, mad_stream*, mad_frame*) { return MAD_FLOW_CONTINUE; }
    static mad_flow Output(void* data, const mad_header*, mad_pcm* pcm) {
        auto* self = static_cast<CLibmadDecoder*>(data);
        const std::int32_t* right = pcm->channels > 1 ? pcm->samples[1] : nullptr;
        return self->OnOutput(pcm->channels, pcm->samplerate, pcm->length, pcm->samples[0], right) ? MAD_FLOW_CONTINUE
                                                                                                  : MAD_FLOW_STOP;
    }
};

CLibmadDecoder::CLibmadDecoder() : m_pcm(kPcmBufferBytes) {}

CLibmadDecoder::~CLibmadDecoder() { Reset(); }

std::size_t CLibmadDecoder::ScaleSamples(float gain, const std::int32_t* left, const std::int32_t* right, unsigned n,
                                         std::uint8_t* out) {
    std::uint8_t* at = out;
    for (unsigned i = 0; i < n; ++i) {
        Put16(at, ScaleOne(left[i], gain));
        at += 2;
        if (right) {
            Put16(at, ScaleOne(right[i], gain));
            at += 2;
        }
    }
    return static_cast<std::size_t>(at - out);
}

int CLibmadDecoder::Start(const std::u16string& source, int gainPercent, int resource, qv::ui::SObject* owner,
                          int limitSeconds) {
    Reset();
    m_owner = owner;
    m_limitSeconds = limitSeconds;
    m_gain = static_cast<float>(std::clamp(gainPercent, 0, 100)) / 100.0f;
    m_samplesDecoded = 0;
    m_format = {};
    m_wavPath.clear();
    if (m_pcm.empty()) m_pcm.resize(kPcmBufferBytes);
    m_rawPath = MakeTempWaveFile();
    if (m_rawPath.empty()) return 0;
    m_resourceFlag = resource;
    m_source = source.substr(0, kMaxSourceUnits);
    m_resource = {};
    if (m_resourceFlag) {
        // The skin is read here, on the owner's thread; its bytes live with the module.
        const qv::ui::SApplication* app = qv::ui::SApplication::getSingletonPtr();
        if (auto bytes = app ? app->LoadRawResource(u"mp3", m_source) : std::nullopt) m_resource = *bytes;
    }
    m_stop = false;
    try {
        m_thread = std::thread([this] { Run(); });
    } catch (const std::system_error& e) {
        QV_LOGE("the decoder thread did not start: %s", e.what());
        DeleteTempWaveFile(m_rawPath);
        return 0;
    }
    return 1;
}

void CLibmadDecoder::Reset() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    m_mp3 = {};
    m_mp3Given = false;
    m_resource = {};
    if (m_raw) std::fclose(m_raw);
    m_raw = nullptr;
    DeleteTempWaveFile(m_rawPath);
}

void CLibmadDecoder::Run() {
    LowerThreadPriority();
    m_mp3 = m_resourceFlag ? CopyMp3Bytes(m_resource) : LoadMp3File(m_source);
    m_mp3Given = false;
    m_rawFailed = false;
    m_raw = std::fopen(qv::os::NativePath(m_rawPath).c_str(), "ab");
    if (!m_raw) m_rawFailed = true;
    const bool ended = Decode();
    if (m_raw) std::fclose(m_raw);
    m_raw = nullptr;
    m_mp3 = {};
    if (!ended) return;  // stopped from outside: nobody waits for the event
    Finish(m_samplesDecoded > 0 && !m_rawFailed && WriteWaveFile() ? 1 : 0);
}

bool CLibmadDecoder::Decode() {
    if (m_rawFailed) return !m_stop;
    mad_decoder decoder;
    mad_decoder_init(&decoder, this, MadCallbacks::Input, nullptr, MadCallbacks::Filter, MadCallbacks::Output,
                     MadCallbacks::Error, nullptr);
    mad_decoder_run(&decoder, MAD_DECODER_MODE_SYNC);
    mad_decoder_finish(&decoder);
    return !m_stop;
}

bool CLibmadDecoder::OnOutput(unsigned channels, unsigned rate, unsigned n, const std::int32_t* left,
                              const std::int32_t* right) {
    if (m_stop || channels == 0 || rate == 0) return false;
    // The first frame fixes the format; a frame in another one ends the sound.
    if (m_samplesDecoded == 0) {
        m_format = MakePcmFormat(static_cast<std::uint16_t>(channels), rate, 16);
    } else if (channels != m_format.channels || rate != m_format.samplesPerSec) {
        QV_LOGW("a frame of %u channels at %u Hz ends the sound", channels, rate);
        return false;
    }
    m_samplesDecoded += n;
    const double seconds = static_cast<double>(m_samplesDecoded) / rate;
    const std::size_t bytes = ScaleSamples(m_gain, left, channels > 1 ? right : nullptr, n, m_pcm.data());
    if (std::fwrite(m_pcm.data(), 1, bytes, m_raw) != bytes) {
        m_rawFailed = true;
        return false;
    }
    return static_cast<long long>(seconds) < m_limitSeconds;
}

bool CLibmadDecoder::WriteWaveFile() {
    std::FILE* raw = std::fopen(qv::os::NativePath(m_rawPath).c_str(), "rb");
    if (!raw) return false;
    bool ok = std::fseek(raw, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(raw) : -1;
    const auto header = size >= 0 ? MakeWaveHeader(m_format, static_cast<std::uint64_t>(size)) : std::nullopt;
    m_wavPath = header ? MakeTempWaveFile() : std::u16string();
    std::FILE* wav = m_wavPath.empty() ? nullptr : std::fopen(qv::os::NativePath(m_wavPath).c_str(), "wb");
    ok = wav && std::fseek(raw, 0, SEEK_SET) == 0 && std::fwrite(header->data(), 1, header->size(), wav) == header->size();
    std::vector<std::uint8_t> chunk(1 << 16);
    while (ok) {
        const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), raw);
        if (n == 0) break;
        ok = std::fwrite(chunk.data(), 1, n, wav) == n;
    }
    ok = ok && !std::ferror(raw);
    std::fclose(raw);
    if (wav && std::fclose(wav) != 0) ok = false;
    DeleteTempWaveFile(m_rawPath);
    if (!ok) {
        QV_LOGE("the decoded sound could not be written");
        DeleteTempWaveFile(m_wavPath);
    }
    return ok;
}

void CLibmadDecoder::Finish(int status) {
    auto event = std::make_shared<EventDecoderFinsh>(m_owner);
    event->status = status;
    if (status) event->path = qv::ui::SStringW(m_wavPath);
    FireAppEventAsync(std::move(event));
}
