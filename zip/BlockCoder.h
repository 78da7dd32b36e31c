#pragma once
// The Huffman half of the compressor: it tallies literals and matches for the
// current block, and when the block ends builds its trees and writes it as a
// stored, fixed-tree or dynamic-tree block, whichever is shortest.
#include <array>
#include <cstdint>
#include <memory>

#include "zip/BitWriter.h"
#include "zip/DeflateTables.h"

namespace qv::zip::deflate {

inline constexpr unsigned kMaxDistance = 32768 - (kMaxMatch + kMinMatch + 1);  // 32506

class BlockCoder {
public:
    static constexpr unsigned kEntries = 0x8000;

    BlockCoder();

    // Starts an entry's stream. Check failures are recorded in *error.
    void Start(BitWriter* out, int level, const char** error);

    // Each tally returns true when the block should end here. `covered` is
    // the number of input bytes the block spans so far.
    bool TallyLiteral(std::uint8_t c, std::int64_t covered) {
        m_litLength[m_count] = c;
        m_distance[m_count] = 0;
        ++m_count;
        ++m_lFreq[c];
        return BlockFull(covered);
    }
    bool TallyMatch(unsigned distance, unsigned lengthMinus3, std::int64_t covered) {
        if (distance - 1 >= kMaxDistance || lengthMinus3 > 255) {
            *m_error = "ct_tally: bad match";
            return false;
        }
        m_litLength[m_count] = static_cast<std::uint8_t>(lengthMinus3);
        m_distance[m_count] = static_cast<std::uint16_t>(distance);
        ++m_count;
        ++m_matches;
        ++m_lFreq[kLiterals + 1 + kTables.lengthCode[lengthMinus3]];
        ++m_dFreq[DistCode(distance - 1)];
        return BlockFull(covered);
    }

    // Writes the tallied block. `bytes` are the block's input bytes while
    // they are still in the window (else null): only then may it be stored.
    void FlushBlock(const std::uint8_t* bytes, std::int64_t length, bool last);

    // Bits the blocks so far should have produced, for the final check.
    std::uint64_t CompressedBits() const { return m_compressedBits; }

private:
    bool BlockFull(std::int64_t covered) const {
        if (m_level > 2 && (m_count & 0xFFF) == 0 && EarlyEndPays(covered)) return true;
        return m_count == kEntries - 1 || m_matches == kEntries;
    }
    bool EarlyEndPays(std::int64_t covered) const;
    void StartBlock();
    void SendEntries(const std::uint8_t* lLength, const std::uint16_t* lCode, const std::uint8_t* dLength,
                     const std::uint16_t* dCode);

    BitWriter* m_out = nullptr;
    const char** m_error = nullptr;
    int m_level = 8;
    std::uint64_t m_compressedBits = 0;

    // The block's entries: a literal (distance 0) or a match (length - 3 and distance).
    std::unique_ptr<std::uint8_t[]> m_litLength;
    std::unique_ptr<std::uint16_t[]> m_distance;
    unsigned m_count = 0;
    unsigned m_matches = 0;

    std::array<std::uint32_t, kLCodes> m_lFreq{};
    std::array<std::uint32_t, kDCodes> m_dFreq{};
};

}  // namespace qv::zip::deflate
