#pragma once
// Interleaved 16-bit frames in, MP3 out to a file through LAME: constant bit
// rate and no tag frame, so the file is plain MPEG frames from its first byte.
// Finish flushes the encoder's last frames and closes the file.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/os/UniqueFd.h"

struct lame_global_struct;

namespace qv::audio {

class Mp3Encoder {
public:
    // A new file takes the path's place (a link there is replaced, not
    // written through). Null with the reason when it cannot be made,
    // or when LAME takes neither the rate (an MP3 rate, 8000..48000) nor the
    // channels (1 or 2).
    static std::unique_ptr<Mp3Encoder> Create(const std::u16string& path, int rate, int channels,
                                              std::u16string& error);
    ~Mp3Encoder();
    Mp3Encoder(const Mp3Encoder&) = delete;
    Mp3Encoder& operator=(const Mp3Encoder&) = delete;

    // False once a write has failed; later frames are dropped.
    bool Encode(const std::int16_t* frames, std::size_t count);
    // False with the reason when any write failed.
    bool Finish(std::u16string& error);

private:
    Mp3Encoder(lame_global_struct* lame, qv::os::UniqueFd file, int channels);
    bool Write(int bytes);

    lame_global_struct* m_lame;
    qv::os::UniqueFd m_file;
    int m_channels;
    int m_writeErrno = 0;
    std::vector<unsigned char> m_out;
};

}  // namespace qv::audio
