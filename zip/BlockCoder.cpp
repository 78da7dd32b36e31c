#include "zip/BlockCoder.h"

#include "zip/HuffmanTree.h"

namespace qv::zip::deflate {
namespace {

constexpr std::array<std::uint8_t, kLCodes> MakeLiteralExtra() {
    std::array<std::uint8_t, kLCodes> extra{};
    for (int code = 0; code < kLengthCodes; ++code) extra[kLiterals + 1 + code] = kLengthExtra[code];
    return extra;
}
constexpr std::array<std::uint8_t, kLCodes> kLiteralExtra = MakeLiteralExtra();

// One tree of the block: its code lengths and codes, the highest used
// symbol, and what the block's symbols cost with it and with the fixed tree.
template <int N>
struct Tree {
    std::array<std::uint8_t, N> length{};
    std::array<std::uint16_t, N> code{};
    int maxCode = 0;
    std::uint64_t bits = 0;
    std::uint64_t fixedBits = 0;

    void Build(const std::uint32_t* freq, int maxLength, const std::uint8_t* extra, const std::uint8_t* fixedLength) {
        maxCode = BuildCodeLengths(freq, N, maxLength, length.data());
        AssignCodes(length.data(), N, code.data());
        for (int n = 0; n < N; ++n) {
            bits += std::uint64_t{freq[n]} * (length[n] + extra[n]);
            if (fixedLength) fixedBits += std::uint64_t{freq[n]} * (fixedLength[n] + extra[n]);
        }
    }
};

// The code lengths of a tree, run-length coded with the bit-length alphabet:
// 16 repeats the previous length 3-6 times, 17 and 18 give runs of zeros.
struct RunCode {
    std::uint8_t symbol;
    std::uint8_t extra;
};

int RunLengthCode(const std::uint8_t* lengths, int count, RunCode* out) {
    int written = 0;
    for (int n = 0; n < count;) {
        const std::uint8_t value = lengths[n];
        int run = 1;
        while (n + run < count && lengths[n + run] == value) ++run;
        n += run;
        if (value == 0) {
            for (; run >= 11; run -= run < 138 ? run : 138)
                out[written++] = {kRepZero11To138, static_cast<std::uint8_t>((run < 138 ? run : 138) - 11)};
            if (run >= 3) {
                out[written++] = {kRepZero3To10, static_cast<std::uint8_t>(run - 3)};
                run = 0;
            }
        } else {
            out[written++] = {value, 0};
            for (--run; run >= 3; run -= run < 6 ? run : 6)
                out[written++] = {kRep3To6, static_cast<std::uint8_t>((run < 6 ? run : 6) - 3)};
        }
        for (; run > 0; --run) out[written++] = {value, 0};
    }
    return written;
}

}  // namespace

BlockCoder::BlockCoder()
    : m_litLength(std::make_unique<std::uint8_t[]>(kEntries)),
      m_distance(std::make_unique<std::uint16_t[]>(kEntries)) {}

void BlockCoder::Start(BitWriter* out, int level, const char** error) {
    m_out = out;
    m_level = level;
    m_error = error;
    m_compressedBits = 0;
    StartBlock();
}

void BlockCoder::StartBlock() {
    m_lFreq.fill(0);
    m_dFreq.fill(0);
    m_lFreq[kEndBlock] = 1;
    m_count = 0;
    m_matches = 0;
}

// Ends a block early when it holds mostly literals and its entries already
// promise to halve the input: a fresh tree will likely fit what follows better.
bool BlockCoder::EarlyEndPays(std::int64_t covered) const {
    std::uint64_t bits = std::uint64_t{m_count} * 8;
    for (int code = 0; code < kDCodes; ++code) bits += std::uint64_t{m_dFreq[code]} * (5 + kDistExtra[code]);
    return m_matches < m_count / 2 && static_cast<std::int64_t>(bits >> 3) < covered / 2;
}

void BlockCoder::FlushBlock(const std::uint8_t* bytes, std::int64_t length, bool last) {
    Tree<kLCodes> lTree;
    lTree.Build(m_lFreq.data(), kMaxBits, kLiteralExtra.data(), kTables.fixedLLength.data());
    Tree<kDCodes> dTree;
    dTree.Build(m_dFreq.data(), kMaxBits, kDistExtra.data(), kTables.fixedDLength.data());

    std::array<RunCode, kLCodes + kDCodes> runs;
    const int lRuns = RunLengthCode(lTree.length.data(), lTree.maxCode + 1, runs.data());
    const int runCount = lRuns + RunLengthCode(dTree.length.data(), dTree.maxCode + 1, runs.data() + lRuns);
    std::array<std::uint32_t, kBlCodes> blFreq{};
    for (int i = 0; i < runCount; ++i) ++blFreq[runs[i].symbol];
    Tree<kBlCodes> blTree;
    blTree.Build(blFreq.data(), kMaxBlBits, kBlExtra.data(), nullptr);
    // At least four bit-length code lengths are sent, the trailing zeros of the order are cut.
    int blSent = kBlCodes;
    while (blSent > 4 && blTree.length[kBlOrder[blSent - 1]] == 0) --blSent;

    const std::uint64_t dynamicBits = lTree.bits + dTree.bits + blTree.bits + 3 * blSent + 5 + 5 + 4;
    const std::uint64_t fixedBits = lTree.fixedBits + dTree.fixedBits;
    const std::uint64_t dynamicBytes = (dynamicBits + 3 + 7) >> 3;
    const std::uint64_t fixedBytes = (fixedBits + 3 + 7) >> 3;
    const std::uint64_t bestBytes = fixedBytes <= dynamicBytes ? fixedBytes : dynamicBytes;
    const unsigned lastBit = last ? 1 : 0;

    if (bytes && length >= 0 && length <= 0xFFFF && static_cast<std::uint64_t>(length) + 4 <= bestBytes) {
        const auto stored = static_cast<std::uint32_t>(length);
        m_out->Put(lastBit, 3);
        m_out->AlignToByte();
        m_out->Put(stored | ((~stored & 0xFFFF) << 16), 32);
        m_out->PutBytes(bytes, stored);
        m_compressedBits = ((m_compressedBits + 3 + 7) & ~std::uint64_t{7}) + (std::uint64_t{stored} + 4) * 8;
    } else if (fixedBytes <= dynamicBytes) {
        m_out->Put((1 << 1) + lastBit, 3);
        SendEntries(kTables.fixedLLength.data(), kTables.fixedLCode.data(), kTables.fixedDLength.data(),
                    kTables.fixedDCode.data());
        m_compressedBits += 3 + fixedBits;
    } else {
        m_out->Put((2 << 1) + lastBit, 3);
        m_out->Put(static_cast<unsigned>(lTree.maxCode + 1 - 257), 5);
        m_out->Put(static_cast<unsigned>(dTree.maxCode + 1 - 1), 5);
        m_out->Put(static_cast<unsigned>(blSent - 4), 4);
        for (int rank = 0; rank < blSent; ++rank) m_out->Put(blTree.length[kBlOrder[rank]], 3);
        for (int i = 0; i < runCount; ++i) {
            const RunCode run = runs[i];
            m_out->Put(blTree.code[run.symbol], blTree.length[run.symbol]);
            if (run.symbol >= kRep3To6) m_out->Put(run.extra, kBlExtra[run.symbol]);
        }
        SendEntries(lTree.length.data(), lTree.code.data(), dTree.length.data(), dTree.code.data());
        m_compressedBits += 3 + dynamicBits;
    }
    StartBlock();
}

void BlockCoder::SendEntries(const std::uint8_t* lLength, const std::uint16_t* lCode, const std::uint8_t* dLength,
                             const std::uint16_t* dCode) {
    BitWriter& out = *m_out;
    for (unsigned i = 0; i < m_count; ++i) {
        const unsigned lc = m_litLength[i];
        const unsigned distance = m_distance[i];
        if (distance == 0) {
            out.Put(lCode[lc], lLength[lc]);
            continue;
        }
        // A match: length code and its extra bits, then distance code and its extra bits.
        const unsigned code = kTables.lengthCode[lc];
        const unsigned symbol = kLiterals + 1 + code;
        out.Put(lCode[symbol] | ((lc - kTables.lengthBase[code]) << lLength[symbol]),
                lLength[symbol] + kLengthExtra[code]);
        const unsigned d = distance - 1;
        const unsigned dc = DistCode(d);
        out.Put(dCode[dc] | ((d - kTables.distBase[dc]) << dLength[dc]), dLength[dc] + kDistExtra[dc]);
    }
    out.Put(lCode[kEndBlock], lLength[kEndBlock]);
}

}  // namespace qv::zip::deflate
