#include "zip/DeflateState.h"

#include <algorithm>
#include <cstring>

namespace qv::zip {
namespace {

using deflate::kMaxMatch;
using deflate::kMinMatch;

constexpr unsigned kWSize = 0x8000;
constexpr unsigned kWindowSize = 2 * kWSize;
constexpr unsigned kWindowSlack = 16;  // the compare loop reads a word past the lookahead
constexpr unsigned kHashSize = 0x8000;
constexpr unsigned kHashMask = kHashSize - 1;
constexpr unsigned kHashShift = 5;  // three shifts push a byte out of the 15-bit hash
constexpr unsigned kMinLookahead = kMaxMatch + kMinMatch + 1;  // 262
constexpr unsigned kMaxDist = deflate::kMaxDistance;           // 32506
constexpr unsigned kTooFar = 4096;  // a 3-byte match farther back costs more than 3 literals

struct LevelParams {
    unsigned good, lazy, nice, chain;
};
constexpr LevelParams kLevels[] = {
    {0, 0, 0, 0},      {4, 4, 8, 4},     {4, 5, 16, 8},     {4, 6, 32, 32},     {4, 4, 16, 16},
    {8, 16, 32, 32},   {8, 16, 128, 128}, {8, 32, 128, 256}, {32, 128, 258, 1024}, {32, 258, 258, 4096},
};

inline std::uint16_t Load16(const std::uint8_t* p) {
    std::uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
inline std::uint32_t Load32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline std::uint64_t Load64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

// Length of the common prefix of scan and match, at most maxLength; eight
// bytes per turn.
inline unsigned MatchLength(const std::uint8_t* scan, const std::uint8_t* match, unsigned maxLength) {
    unsigned length = 0;
    for (;;) {
        const std::uint64_t diff = Load64(scan + length) ^ Load64(match + length);
        if (diff != 0) {
            length += static_cast<unsigned>(__builtin_ctzll(diff)) >> 3;
            break;
        }
        length += 8;
        if (length >= maxLength) break;
    }
    return length < maxLength ? length : maxLength;
}

}  // namespace

DeflateState::DeflateState()
    : m_window(std::make_unique<std::uint8_t[]>(kWindowSize + kWindowSlack)),
      m_head(std::make_unique<std::uint16_t[]>(kHashSize)),
      m_prev(std::make_unique<std::uint16_t[]>(kWindowSize)) {}

ZipResult DeflateState::DeflateEntry(IDeflateStream& stream, std::uint16_t* entryFlags, int level) {
    m_stream = &stream;
    m_error = nullptr;
    m_out.Reset(&stream);
    if (level < 1 || level > 8) {
        m_error = "bad pack level";
        return kZipFlateFailed;
    }
    m_level = level;
    const LevelParams& params = kLevels[level];
    m_goodMatch = params.good;
    m_maxLazy = params.lazy;
    m_niceMatch = params.nice;
    m_maxChain = params.chain;
    if (entryFlags) {
        if (level <= 2) *entryFlags |= kDeflateFastFlag;
        if (level >= 8) *entryFlags |= kDeflateMaximumFlag;
    }

    m_blocks.Start(&m_out, level, &m_error);
    PrepareMatcher();
    if (level <= 3)
        CompressGreedy();
    else
        CompressLazy();

    if (m_out.BitsWritten() != m_blocks.CompressedBits()) m_error = "bad compressed size";
    m_out.AlignToByte();
    m_out.Flush();
    m_stream = nullptr;
    return m_error ? kZipFlateFailed : kZipOk;
}

unsigned DeflateState::ReadInput(std::uint8_t* to, unsigned size) {
    // Reads until the space is full or the input ends, so the window fills
    // the same way whatever pieces the stream hands over.
    unsigned total = 0;
    while (total < size && !m_endOfInput) {
        const int got = m_stream->ReadInput(to + total, size - total);
        if (got <= 0) {
            m_endOfInput = true;
            break;
        }
        total += std::min(static_cast<unsigned>(got), size - total);
    }
    return total;
}

void DeflateState::PrepareMatcher() {
    std::fill_n(m_head.get(), kHashSize, std::uint16_t{0});
    m_strStart = 0;
    m_matchStart = 0;
    m_blockStart = 0;
    m_endOfInput = false;
    m_lookahead = ReadInput(m_window.get(), kWindowSize);
    m_hash = 0;
    for (unsigned i = 0; i < kMinMatch - 1; ++i) m_hash = ((m_hash << kHashShift) ^ m_window[i]) & kHashMask;
}

void DeflateState::FillWindow() {
    unsigned more = kWindowSize - m_lookahead - m_strStart;
    if (m_strStart >= kWSize + kMaxDist) {
        // Slide the upper half down; positions that fall out become "none".
        std::memcpy(m_window.get(), m_window.get() + kWSize, kWSize);
        m_matchStart -= kWSize;
        m_strStart -= kWSize;
        m_blockStart -= kWSize;
        for (unsigned n = 0; n < kHashSize; ++n)
            m_head[n] = static_cast<std::uint16_t>(m_head[n] >= kWSize ? m_head[n] - kWSize : 0);
        for (unsigned n = 0; n < kWSize; ++n) {
            const unsigned link = m_prev[n + kWSize];
            m_prev[n] = static_cast<std::uint16_t>(link >= kWSize ? link - kWSize : 0);
        }
        more += kWSize;
    }
    if (more < 2) m_error = "more < 2";
    m_lookahead += ReadInput(m_window.get() + m_strStart + m_lookahead, more);
}

// Adds the string at position to its hash chain; returns the previous head.
inline unsigned DeflateState::InsertString(unsigned position) {
    m_hash = ((m_hash << kHashShift) ^ m_window[position + kMinMatch - 1]) & kHashMask;
    const unsigned head = m_head[m_hash];
    m_prev[position] = static_cast<std::uint16_t>(head);
    m_head[m_hash] = static_cast<std::uint16_t>(position);
    return head;
}

// Walks the chain from candidate for a match longer than prevLength; sets
// m_matchStart when one is found. Never looks farther back than kMaxDist nor
// past the lookahead.
inline unsigned DeflateState::LongestMatch(unsigned candidate, unsigned prevLength) {
    const std::uint8_t* const window = m_window.get();
    const std::uint16_t* const prev = m_prev.get();
    const std::uint8_t* const scan = window + m_strStart;
    const unsigned limit = m_strStart > kMaxDist ? m_strStart - kMaxDist : 0;
    const unsigned maxLength = std::min<unsigned>(kMaxMatch, m_lookahead);
    const unsigned nice = std::min(m_niceMatch, maxLength);
    unsigned chain = prevLength >= m_goodMatch ? m_maxChain >> 2 : m_maxChain;
    unsigned best = prevLength;
    if (best >= maxLength) return best;
    if (m_strStart + m_lookahead > kWindowSize) m_error = "insufficient lookahead";
    if (candidate >= m_strStart) {
        m_error = "no future";
        return best;
    }

    // A longer match must agree on the bytes around the current best end
    // and on the first three bytes; both are checked with one load each.
    // Chains only lead back in time, so the first candidate is the latest.
    std::uint16_t scanEnd = Load16(scan + best - 1);
    const std::uint32_t scanStart = Load32(scan) & 0xFFFFFF;
    do {
        const std::uint8_t* const match = window + candidate;
        if (Load16(match + best - 1) != scanEnd || (Load32(match) & 0xFFFFFF) != scanStart) continue;
        const unsigned length = MatchLength(scan, match, maxLength);
        if (length > best) {
            m_matchStart = candidate;
            best = length;
            if (length >= nice) break;
            scanEnd = Load16(scan + best - 1);
        }
    } while ((candidate = prev[candidate]) > limit && --chain != 0);
    return best;
}

void DeflateState::FlushBlock(bool last) {
    const std::uint8_t* bytes = m_blockStart >= 0 ? m_window.get() + m_blockStart : nullptr;
    m_blocks.FlushBlock(bytes, Covered(), last);
    m_blockStart = m_strStart;
}

// Lazy evaluation: a match found at one position is kept back for one step;
// when the next position offers a longer match, the first position goes out
// as a literal instead.
void DeflateState::CompressLazy() {
    unsigned matchLength = kMinMatch - 1;
    bool literalPending = false;
    while (m_lookahead != 0) {
        const unsigned head = InsertString(m_strStart);
        const unsigned prevLength = matchLength;
        const unsigned prevMatch = m_matchStart;
        matchLength = kMinMatch - 1;
        if (head != 0 && prevLength < m_maxLazy && m_strStart - head <= kMaxDist && m_lookahead >= kMinMatch) {
            matchLength = LongestMatch(head, prevLength);
            if (matchLength == kMinMatch && m_strStart - m_matchStart > kTooFar) matchLength = kMinMatch - 1;
        }
        if (prevLength >= kMinMatch && matchLength <= prevLength) {
            // The previous match wins. Its start was hashed already; hash the
            // rest of it where three input bytes remain.
            const unsigned lastInsert = m_strStart + m_lookahead - kMinMatch;
            const bool full = m_blocks.TallyMatch(m_strStart - 1 - prevMatch, prevLength - kMinMatch, Covered());
            m_lookahead -= prevLength - 1;
            for (unsigned n = prevLength - 2; n != 0; --n) {
                if (++m_strStart <= lastInsert) InsertString(m_strStart);
            }
            literalPending = false;
            matchLength = kMinMatch - 1;
            ++m_strStart;
            if (full) FlushBlock(false);
        } else if (literalPending) {
            if (m_blocks.TallyLiteral(m_window[m_strStart - 1], Covered())) {
                FlushBlock(false);
            }
            ++m_strStart;
            --m_lookahead;
        } else {
            literalPending = true;
            ++m_strStart;
            --m_lookahead;
        }
        while (m_lookahead < kMinLookahead && !m_endOfInput) FillWindow();
    }
    if (literalPending) m_blocks.TallyLiteral(m_window[m_strStart - 1], Covered());
    FlushBlock(true);
}

// Greedy matching: a match is taken at once; its positions are hashed only
// when it is short (not longer than the level's lazy length).
void DeflateState::CompressGreedy() {
    while (m_lookahead != 0) {
        const unsigned head = InsertString(m_strStart);
        unsigned matchLength = 0;
        if (head != 0 && m_strStart - head <= kMaxDist && m_lookahead >= kMinMatch)
            matchLength = LongestMatch(head, kMinMatch - 1);
        bool full;
        if (matchLength >= kMinMatch) {
            full = m_blocks.TallyMatch(m_strStart - m_matchStart, matchLength - kMinMatch, Covered());
            const unsigned lastInsert = m_strStart + m_lookahead - kMinMatch;
            m_lookahead -= matchLength;
            if (matchLength <= m_maxLazy) {
                for (unsigned n = matchLength - 1; n != 0; --n) {
                    if (++m_strStart <= lastInsert) InsertString(m_strStart);
                }
                ++m_strStart;
            } else {
                m_strStart += matchLength;
                m_hash = ((m_window[m_strStart] << kHashShift) ^ m_window[m_strStart + 1]) & kHashMask;
            }
        } else {
            full = m_blocks.TallyLiteral(m_window[m_strStart], Covered());
            --m_lookahead;
            ++m_strStart;
        }
        if (full) FlushBlock(false);
        while (m_lookahead < kMinLookahead && !m_endOfInput) FillWindow();
    }
    FlushBlock(true);
}

}  // namespace qv::zip
