#pragma once
// Interleaved 16-bit frames in, MP3 out to a file through LAME: constant bit
// rate and no tag frame, so the file is plain MPEG frames from its first byte.
//
// The frames go to a new file beside the target; the target is replaced only
// by Finish, and only with a file of at least one whole frame, so a recording
// that fails to start or records nothing leaves the file there as it was.
// After a failed write, what was written up to the last whole frame is kept.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio/Mp3FrameEnds.h"
#include "platform/os/UniqueFd.h"

struct lame_global_struct;

namespace qv::audio {

class Mp3Encoder {
public:
    // Null with the reason when the file beside path cannot be created, or
    // when LAME takes neither the rate (an MP3 rate, 8000..48000) nor the
    // channels (1 or 2).
    static std::unique_ptr<Mp3Encoder> Create(const std::u16string& path, int rate, int channels,
                                              std::u16string& error);
    // Without Finish the new file is removed and the target stays as it was.
    ~Mp3Encoder();
    Mp3Encoder(const Mp3Encoder&) = delete;
    Mp3Encoder& operator=(const Mp3Encoder&) = delete;

    // False once a write has failed; later frames are dropped.
    bool Encode(const std::int16_t* frames, std::size_t count);
    // Flushes the encoder, cuts the file after its last whole frame and puts
    // it in the target's place when it holds one. False with the reason when
    // a write failed (the whole frames before it replace the target all the
    // same) or the target could not be replaced.
    bool Finish(std::u16string& error);

    // Test seam: called instead of write(2) for the file's bytes, from the
    // thread that encodes. Null restores write(2).
    using WriteHook = ssize_t (*)(int fd, const void* data, std::size_t size);
    static void SetWriteHook(WriteHook hook);

private:
    Mp3Encoder(lame_global_struct* lame, qv::os::UniqueFd file, std::string tempPath, std::string targetPath,
               int channels);
    bool Write(int bytes);
    // Keeps the whole frames written, or removes the file when there are none.
    bool Commit(std::u16string& error);

    lame_global_struct* m_lame;
    qv::os::UniqueFd m_file;
    std::string m_tempPath;
    std::string m_targetPath;
    int m_channels;
    std::uint64_t m_framesIn = 0;
    int m_writeErrno = 0;
    bool m_finished = false;
    std::vector<unsigned char> m_out;
    Mp3FrameEnds m_ends;
};

}  // namespace qv::audio
