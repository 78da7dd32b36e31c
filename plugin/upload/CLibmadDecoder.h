#pragma once
// Decodes an MP3 sound (a file, or an "mp3" resource of the host's skin) on a
// thread of its own with libmad's synchronous decoder, scaled by a gain and
// cut after a time limit, into a 16-bit PCM WAV file in the temp folder; the
// end is told by EventDecoderFinsh with the WAV's path (a copy) and a status,
// fired asynchronously with the owner as sender. The receiver owns the WAV
// file from then on; the decoder deletes its own raw sample file.
//
// Start, Reset and the destructor run on the owner's (UI) thread; Reset and
// the destructor stop a decode that still runs and join its thread.
#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "plugin/upload/PcmWaveFormat.h"

namespace qv::ui {
class SObject;
}

class CLibmadDecoder {
public:
    static constexpr std::size_t kMaxSourceUnits = 259;

    CLibmadDecoder();
    virtual ~CLibmadDecoder();
    CLibmadDecoder(const CLibmadDecoder&) = delete;
    CLibmadDecoder& operator=(const CLibmadDecoder&) = delete;

    // source: a file path, or with `resource` 1 the name of an "mp3" resource
    // of the running application's skin. gainPercent 0 .. 100 (bounded);
    // limitSeconds: decoding ends with the frame that reaches it. 1 when the
    // thread runs; 0 when no temporary file or thread could be made (no
    // event follows).
    int Start(const std::u16string& source, int gainPercent, int resource, qv::ui::SObject* owner, int limitSeconds);
    // Stops a decode that still runs, joins its thread and frees what the run
    // used, its raw sample file included. The WAV file stays.
    void Reset();

    // The WAV file of the last finished run, empty when it made none.
    const std::u16string& WavePath() const { return m_wavPath; }
    const PcmWaveFormat& OutputFormat() const { return m_format; }

    // The decoder's scaling of libmad's samples (ScaleMadSamples, Mp3Decode.h).
    static std::size_t ScaleSamples(float gain, const std::int32_t* left, const std::int32_t* right, unsigned n,
                                    std::uint8_t* out);

private:
    void Run();
    // Decodes the source into the raw file; 1 when samples came and were all
    // written.
    int DecodeToRawFile();
    // The raw samples behind a 44-byte header in a new temporary WAV file.
    bool WriteWaveFile();
    void Finish(int status);

    qv::ui::SObject* m_owner = nullptr;
    std::u16string m_source;
    std::thread m_thread;
    std::span<const std::uint8_t> m_resource;  // the resource's bytes, taken on the owner's thread
    PcmWaveFormat m_format;
    std::u16string m_rawPath;
    std::u16string m_wavPath;
    int m_resourceFlag = 0;
    std::uint32_t m_samplesDecoded = 0;
    int m_limitSeconds = 0;
    float m_gain = 1.0f;
    std::atomic<bool> m_stop{false};
};
