#pragma once
// The deflate bit stream: bits go in from the low end of a 64-bit register and
// leave as little-endian bytes through a 16 KB buffer, which is handed to the
// stream when it cannot take the next word.
#include <cstdint>
#include <cstring>
#include <memory>

#include "zip/DeflateStream.h"

namespace qv::zip::deflate {

class BitWriter {
public:
    static constexpr unsigned kBufferSize = 16 * 1024;

    BitWriter() : m_buffer(std::make_unique<std::uint8_t[]>(kBufferSize)) {}

    void Reset(IDeflateStream* stream) {
        m_stream = stream;
        m_bits = 0;
        m_count = 0;
        m_fill = 0;
        m_handedOver = 0;
    }

    // Appends the low `length` bits of value (length <= 32, no higher bits set).
    void Put(std::uint32_t value, unsigned length) {
        m_bits |= static_cast<std::uint64_t>(value) << m_count;
        m_count += length;
        if (m_count >= 32) {
            if (m_fill + 4 > kBufferSize) Flush();
            const std::uint32_t word = static_cast<std::uint32_t>(m_bits);
            std::memcpy(m_buffer.get() + m_fill, &word, 4);  // little-endian host
            m_fill += 4;
            m_bits >>= 32;
            m_count -= 32;
        }
    }

    // Pads the last partial byte with zero bits.
    void AlignToByte() {
        while (m_count > 0) {
            if (m_fill == kBufferSize) Flush();
            m_buffer[m_fill++] = static_cast<std::uint8_t>(m_bits);
            m_bits >>= 8;
            m_count = m_count > 8 ? m_count - 8 : 0;
        }
        m_bits = 0;
    }

    // Appends whole bytes; the stream must be byte-aligned.
    void PutBytes(const std::uint8_t* data, unsigned length) {
        while (length > 0) {
            if (m_fill == kBufferSize) Flush();
            const unsigned piece = length < kBufferSize - m_fill ? length : kBufferSize - m_fill;
            std::memcpy(m_buffer.get() + m_fill, data, piece);
            m_fill += piece;
            data += piece;
            length -= piece;
        }
    }

    // Hands every complete byte to the stream.
    void Flush() {
        if (m_fill > 0 && m_stream) m_stream->WriteOutput(m_buffer.get(), m_fill);
        m_handedOver += m_fill;
        m_fill = 0;
    }

    std::uint64_t BitsWritten() const { return (m_handedOver + m_fill) * 8 + m_count; }

private:
    std::unique_ptr<std::uint8_t[]> m_buffer;
    IDeflateStream* m_stream = nullptr;
    std::uint64_t m_bits = 0;
    unsigned m_count = 0;
    unsigned m_fill = 0;
    std::uint64_t m_handedOver = 0;
};

}  // namespace qv::zip::deflate
