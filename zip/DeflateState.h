#pragma once
// The deflate compressor (RFC 1951): LZ77 over a 32 KB sliding window with
// hash chains and lazy matching, then Huffman coding in stored, fixed-tree or
// dynamic-tree blocks. One state serves a writer's every deflated entry; it
// is large (about 350 KB) and is made once.
//
// Output depends on the input bytes and the level only: how the stream cuts
// its reads, and what an earlier entry left in the state, change nothing.
#include <cstdint>
#include <memory>

#include "zip/BitWriter.h"
#include "zip/BlockCoder.h"
#include "zip/DeflateStream.h"
#include "zip/ZipResult.h"

namespace qv::zip {

// General-purpose flag bits the level sets on the entry.
inline constexpr std::uint16_t kDeflateMaximumFlag = 2;
inline constexpr std::uint16_t kDeflateFastFlag = 4;

class DeflateState {
public:
    DeflateState();
    DeflateState(const DeflateState&) = delete;
    DeflateState& operator=(const DeflateState&) = delete;

    // Compresses the stream's whole input into its output as one raw deflate
    // stream. Levels 1 to 8; levels 1-2 add the fast flag to *entryFlags,
    // level 8 the maximum flag. kZipFlateFailed when a check failed (Error()
    // tells which); kZipOk otherwise.
    [[nodiscard]] ZipResult DeflateEntry(IDeflateStream& stream, std::uint16_t* entryFlags, int level = 8);

    // The last check that failed during the last entry, or null.
    const char* Error() const { return m_error; }
    // Bytes of compressed output of the last entry.
    std::uint64_t CompressedLength() const { return m_out.BitsWritten() / 8; }

private:
    void PrepareMatcher();
    unsigned ReadInput(std::uint8_t* to, unsigned size);
    void FillWindow();
    unsigned InsertString(unsigned position);
    unsigned LongestMatch(unsigned candidate, unsigned prevLength);
    void CompressLazy();
    void CompressGreedy();
    void FlushBlock(bool last);
    std::int64_t Covered() const { return m_strStart - m_blockStart; }

    IDeflateStream* m_stream = nullptr;
    const char* m_error = nullptr;

    // Matcher parameters of the level.
    unsigned m_goodMatch = 0;
    unsigned m_maxLazy = 0;
    unsigned m_niceMatch = 0;
    unsigned m_maxChain = 0;
    int m_level = 8;

    // Two 32 KB halves of input (plus slack for word-wide compares), the hash
    // heads and the chain links. Positions are window offsets; 0 is "none".
    // Links are kept per window position rather than modulo 32 KB: the chain
    // walk then needs no masking between its dependent loads, and only the
    // last 32 KB of links are ever live, so the cache sees the same amount.
    std::unique_ptr<std::uint8_t[]> m_window;
    std::unique_ptr<std::uint16_t[]> m_head;
    std::unique_ptr<std::uint16_t[]> m_prev;
    unsigned m_hash = 0;
    unsigned m_strStart = 0;
    unsigned m_matchStart = 0;
    unsigned m_lookahead = 0;
    std::int64_t m_blockStart = 0;  // negative once the block's start slid out of the window
    bool m_endOfInput = false;

    deflate::BitWriter m_out;
    deflate::BlockCoder m_blocks;
};

}  // namespace qv::zip
