#pragma once
// Follows an MPEG audio Layer III stream as it is written, frame header by
// frame header, and knows where its last whole frame ends: a file cut short
// by a failed write can be cut back to whole frames that any decoder reads.
#include <cstddef>
#include <cstdint>

namespace qv::audio {

// The length in bytes of the Layer III frame whose 4-byte header this is;
// 0 when it is not one (no sync, a reserved or free-format field).
std::size_t Mp3FrameLength(const std::uint8_t* header);

class Mp3FrameEnds {
public:
    // The bytes that follow those fed before.
    void Feed(const std::uint8_t* bytes, std::size_t size);
    // The bytes from the start up to the end of the last whole frame.
    std::uint64_t WholeBytes() const { return m_wholeBytes; }
    std::uint64_t WholeFrames() const { return m_wholeFrames; }

private:
    std::uint8_t m_header[4] = {};
    std::size_t m_headerBytes = 0;
    std::size_t m_frameLeft = 0;  // bytes of the current frame still to come
    std::uint64_t m_fed = 0;
    std::uint64_t m_wholeBytes = 0;
    std::uint64_t m_wholeFrames = 0;
    bool m_lost = false;  // a header was not one: nothing after it counts
};

}  // namespace qv::audio
