#pragma once
// Raw deflate streams for the tests: ours through DeflateState from memory
// in pieces of a chosen size, and zlib's inflater as the independent reader.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "zip/DeflateState.h"

namespace qv::test {

using Bytes = std::vector<std::uint8_t>;

struct Deflated {
    Bytes bytes;
    ZipResult result = kZipOk;
    std::uint16_t flags = 0;
};

// The input is handed over in reads of at most `piece` bytes.
Deflated DeflateBytes(qv::zip::DeflateState& state, const Bytes& input, std::size_t piece = 65536, int level = 8);

// The inflated bytes when the stream is complete and has nothing after its
// end; nullopt otherwise.
std::optional<Bytes> InflateRaw(const std::uint8_t* data, std::size_t size);

}  // namespace qv::test
