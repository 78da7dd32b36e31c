#include "plugin/upload/CLibmadDecoder.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>

#include "platform/os/Log.h"
#include "platform/os/Path.h"
#include "platform/ui/SApplication.h"
#include "plugin/app/AppEvents.h"
#include "plugin/upload/Mp3Decode.h"
#include "plugin/upload/Mp3Source.h"
#include "plugin/upload/TempWaveFile.h"
#include "plugin/upload/WaveHeader.h"

namespace {

// How much nicer than its starter the decoder thread runs.
constexpr int kBelowNormalNice = 4;

void LowerThreadPriority() {
    const auto tid = static_cast<id_t>(::gettid());
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, tid);
    if (errno == 0 && ::setpriority(PRIO_PROCESS, tid, std::min(nice + kBelowNormalNice, 19)) != 0)
        QV_LOGW("the decoder runs at the normal priority");
}

struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileClose>;

File OpenFile(const std::u16string& path, const char* mode) {
    return File(path.empty() ? nullptr : std::fopen(qv::os::NativePath(path).c_str(), mode));
}

}  // namespace

CLibmadDecoder::CLibmadDecoder() = default;

CLibmadDecoder::~CLibmadDecoder() { Reset(); }

std::size_t CLibmadDecoder::ScaleSamples(float gain, const std::int32_t* left, const std::int32_t* right, unsigned n,
                                         std::uint8_t* out) {
    return ScaleMadSamples(gain, left, right, n, out);
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
    m_resource = {};
    DeleteTempWaveFile(m_rawPath);
}

void CLibmadDecoder::Run() {
    LowerThreadPriority();
    const int decoded = DecodeToRawFile();
    if (m_stop) return;  // stopped from outside: nobody waits for the event
    Finish(decoded && WriteWaveFile() ? 1 : 0);
}

int CLibmadDecoder::DecodeToRawFile() {
    const std::vector<std::uint8_t> mp3 = m_resourceFlag ? CopyMp3Bytes(m_resource) : LoadMp3File(m_source);
    File raw = OpenFile(m_rawPath, "ab");
    if (!raw || mp3.empty()) return 0;
    const Mp3DecodeOutcome outcome = DecodeMp3(
        mp3, m_gain, m_limitSeconds,
        [&raw](std::span<const std::uint8_t> pcm) { return std::fwrite(pcm.data(), 1, pcm.size(), raw.get()) == pcm.size(); },
        &m_stop);
    m_format = outcome.format;
    m_samplesDecoded = outcome.samples;
    const bool closed = std::fclose(raw.release()) == 0;
    return outcome.samples > 0 && !outcome.sinkFailed && !outcome.stopped && closed ? 1 : 0;
}

bool CLibmadDecoder::WriteWaveFile() {
    File raw = OpenFile(m_rawPath, "rb");
    if (!raw || std::fseek(raw.get(), 0, SEEK_END) != 0) return false;
    const long size = std::ftell(raw.get());
    const auto header = size >= 0 ? MakeWaveHeader(m_format, static_cast<std::uint64_t>(size)) : std::nullopt;
    if (!header || std::fseek(raw.get(), 0, SEEK_SET) != 0) return false;
    m_wavPath = MakeTempWaveFile();
    File wav = OpenFile(m_wavPath, "wb");
    bool ok = wav && std::fwrite(header->data(), 1, header->size(), wav.get()) == header->size();
    std::vector<std::uint8_t> chunk(1 << 16);
    while (ok) {
        const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), raw.get());
        if (n == 0) break;
        ok = std::fwrite(chunk.data(), 1, n, wav.get()) == n;
    }
    ok = ok && !std::ferror(raw.get());
    raw.reset();
    if (wav && std::fclose(wav.release()) != 0) ok = false;
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
