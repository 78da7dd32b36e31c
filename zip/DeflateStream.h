#pragma once
// What the deflate compressor pulls its input from and pushes its output to.
#include <cstdint>

namespace qv::zip {

class IDeflateStream {
public:
    virtual ~IDeflateStream() = default;
    // Fills up to size bytes; the count, or 0 or -1 at the end of the input.
    virtual int ReadInput(std::uint8_t* buffer, unsigned size) = 0;
    // Takes the next piece of the compressed stream.
    virtual void WriteOutput(const std::uint8_t* data, unsigned length) = 0;
};

}  // namespace qv::zip
