#pragma once
// The fixed tables of the deflate format (RFC 1951): the code counts, the
// extra bits of the length, distance and bit-length codes, the base values
// of the length and distance codes, and the fixed trees.
#include <array>
#include <cstdint>

namespace qv::zip::deflate {

inline constexpr int kMaxBits = 15;       // longest literal/length or distance code
inline constexpr int kMaxBlBits = 7;      // longest bit-length code
inline constexpr int kLiterals = 256;
inline constexpr int kEndBlock = 256;
inline constexpr int kLengthCodes = 29;
inline constexpr int kLCodes = kLiterals + 1 + kLengthCodes;  // 286
inline constexpr int kDCodes = 30;
inline constexpr int kBlCodes = 19;
inline constexpr int kFixedLCodes = kLCodes + 2;  // the fixed tree also assigns 286 and 287

inline constexpr int kMinMatch = 3;
inline constexpr int kMaxMatch = 258;

inline constexpr int kRep3To6 = 16;      // repeat the previous length 3-6 times (2 extra bits)
inline constexpr int kRepZero3To10 = 17;  // 3-10 zeros (3 extra bits)
inline constexpr int kRepZero11To138 = 18;  // 11-138 zeros (7 extra bits)

inline constexpr std::array<std::uint8_t, kLengthCodes> kLengthExtra = {
    0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
inline constexpr std::array<std::uint8_t, kDCodes> kDistExtra = {
    0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
inline constexpr std::array<std::uint8_t, kBlCodes> kBlExtra = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 3, 7};
// The order in which the bit-length code lengths are sent.
inline constexpr std::array<std::uint8_t, kBlCodes> kBlOrder = {
    16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

constexpr std::uint16_t ReverseBits(unsigned code, int length) {
    unsigned reversed = 0;
    for (int i = 0; i < length; ++i, code >>= 1) reversed = (reversed << 1) | (code & 1);
    return static_cast<std::uint16_t>(reversed);
}

// Canonical codes for the given lengths, stored bit-reversed (deflate sends
// Huffman codes from their most significant bit into an LSB-first stream).
constexpr void AssignCodes(const std::uint8_t* lengths, int symbols, std::uint16_t* codes) {
    std::array<unsigned, kMaxBits + 2> count{};
    for (int n = 0; n < symbols; ++n) ++count[lengths[n]];
    count[0] = 0;
    std::array<unsigned, kMaxBits + 2> next{};
    unsigned code = 0;
    for (int bits = 1; bits <= kMaxBits; ++bits) {
        code = (code + count[bits - 1]) << 1;
        next[bits] = code;
    }
    for (int n = 0; n < symbols; ++n)
        if (lengths[n] != 0) codes[n] = ReverseBits(next[lengths[n]]++, lengths[n]);
}

struct Tables {
    std::array<std::uint8_t, 256> lengthCode{};   // match length - 3 -> length code 0..28
    std::array<std::uint8_t, kLengthCodes> lengthBase{};
    std::array<std::uint8_t, 512> distCode{};     // see DistCode
    std::array<std::uint16_t, kDCodes> distBase{};
    std::array<std::uint8_t, kFixedLCodes> fixedLLength{};
    std::array<std::uint16_t, kFixedLCodes> fixedLCode{};
    std::array<std::uint8_t, kDCodes> fixedDLength{};
    std::array<std::uint16_t, kDCodes> fixedDCode{};
};

constexpr Tables MakeTables() {
    Tables t{};
    int length = 0;
    for (int code = 0; code < kLengthCodes - 1; ++code) {
        t.lengthBase[code] = static_cast<std::uint8_t>(length);
        for (int n = 0; n < (1 << kLengthExtra[code]); ++n) t.lengthCode[length++] = static_cast<std::uint8_t>(code);
    }
    // Length 258 (255 here) has a code of its own, overriding the last slot of code 27.
    t.lengthCode[255] = kLengthCodes - 1;
    t.lengthBase[kLengthCodes - 1] = 255;
    int dist = 0;
    for (int code = 0; code < 16; ++code) {
        t.distBase[code] = static_cast<std::uint16_t>(dist);
        for (int n = 0; n < (1 << kDistExtra[code]); ++n) t.distCode[dist++] = static_cast<std::uint8_t>(code);
    }
    dist >>= 7;  // from here distances are counted in steps of 128
    for (int code = 16; code < kDCodes; ++code) {
        t.distBase[code] = static_cast<std::uint16_t>(dist << 7);
        for (int n = 0; n < (1 << (kDistExtra[code] - 7)); ++n) t.distCode[256 + dist++] = static_cast<std::uint8_t>(code);
    }
    for (int n = 0; n < kFixedLCodes; ++n) t.fixedLLength[n] = n < 144 ? 8 : n < 256 ? 9 : n < 280 ? 7 : 8;
    AssignCodes(t.fixedLLength.data(), kFixedLCodes, t.fixedLCode.data());
    for (int n = 0; n < kDCodes; ++n) {
        t.fixedDLength[n] = 5;
        t.fixedDCode[n] = ReverseBits(static_cast<unsigned>(n), 5);
    }
    return t;
}

inline constexpr Tables kTables = MakeTables();

static_assert(kTables.lengthCode[254] == 27 && kTables.lengthCode[255] == 28);
static_assert(kTables.distCode[511] == 29 && kTables.distBase[29] == 24576);

// Distance code of a distance - 1 (0..32767).
inline unsigned DistCode(unsigned distMinusOne) {
    return distMinusOne < 256 ? kTables.distCode[distMinusOne] : kTables.distCode[256 + (distMinusOne >> 7)];
}

}  // namespace qv::zip::deflate
