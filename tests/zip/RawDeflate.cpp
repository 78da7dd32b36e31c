#include "tests/zip/RawDeflate.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace qv::test {
namespace {

class MemoryStream : public qv::zip::IDeflateStream {
public:
    MemoryStream(const Bytes& input, std::size_t piece, Bytes& output)
        : m_input(input), m_piece(piece), m_output(output) {}
    int ReadInput(std::uint8_t* buffer, unsigned size) override {
        const std::size_t count = std::min({static_cast<std::size_t>(size), m_piece, m_input.size() - m_read});
        if (count > 0) std::memcpy(buffer, m_input.data() + m_read, count);
        m_read += count;
        return static_cast<int>(count);
    }
    void WriteOutput(const std::uint8_t* data, unsigned length) override {
        m_output.insert(m_output.end(), data, data + length);
    }

private:
    const Bytes& m_input;
    std::size_t m_piece;
    Bytes& m_output;
    std::size_t m_read = 0;
};

}  // namespace

Deflated DeflateBytes(qv::zip::DeflateState& state, const Bytes& input, std::size_t piece, int level) {
    Deflated out;
    MemoryStream stream(input, piece, out.bytes);
    out.result = state.DeflateEntry(stream, &out.flags, level);
    return out;
}

std::optional<Bytes> InflateRaw(const std::uint8_t* data, std::size_t size) {
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK) return std::nullopt;
    Bytes output;
    std::uint8_t chunk[65536];
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(size);
    int status;
    do {
        z.next_out = chunk;
        z.avail_out = sizeof chunk;
        status = inflate(&z, Z_NO_FLUSH);
        output.insert(output.end(), chunk, chunk + (sizeof chunk - z.avail_out));
    } while (status == Z_OK);
    const bool complete = status == Z_STREAM_END && z.avail_in == 0;
    inflateEnd(&z);
    if (!complete) return std::nullopt;
    return output;
}

}  // namespace qv::test
