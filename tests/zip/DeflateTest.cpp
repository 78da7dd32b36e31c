#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

#include "tests/zip/RawDeflate.h"
#include "tests/zip/fuzz/DeflateRoundTripFuzz.h"
#include "zip/DeflateTables.h"
#include "zip/HuffmanTree.h"

namespace {

using qv::test::Bytes;
using qv::test::DeflateBytes;
using qv::test::InflateRaw;
using qv::zip::DeflateState;

Bytes RandomBytes(std::size_t n, unsigned seed, int low = 0, int high = 255) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(low, high);
    Bytes out(n);
    for (auto& b : out) b = static_cast<std::uint8_t>(byte(random));
    return out;
}

// Words from a small vocabulary with spaces and line ends, like prose.
Bytes TextBytes(std::size_t n, unsigned seed) {
    static const char* const kWords[] = {"the", "card", "sends", "a", "frame", "of", "forty", "bytes", "when",
                                         "value", "changes", "and", "host", "answers", "with", "its", "own",
                                         "checksum", "parameter", "effect", "preset", "window", "slides"};
    std::mt19937 random(seed);
    std::string text;
    while (text.size() < n) {
        text += kWords[random() % std::size(kWords)];
        text += random() % 11 == 0 ? ".\n" : " ";
    }
    return Bytes(text.begin(), text.begin() + static_cast<long>(n));
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Every input comes back through zlib's inflater. The edges: the empty
// input, lengths around the longest match (258) and the lookahead (262),
// around one window (32 KB) and the slide of the two-window buffer (65274),
// long runs, incompressible and ordinary text.
TEST(Deflate, RoundTripsThroughZlibOverTheEdges) {
    std::vector<std::pair<std::string, Bytes>> corpus = {{"empty", {}}};
    for (std::size_t n : {1, 2, 3, 4, 257, 258, 259, 260, 261, 262, 263, 32767, 32768, 32769, 65273, 65274, 65275,
                          65536, 65536 + 262, 3 * 65536 + 1}) {
        corpus.emplace_back("text " + std::to_string(n), TextBytes(n, static_cast<unsigned>(n)));
        corpus.emplace_back("random " + std::to_string(n), RandomBytes(n, static_cast<unsigned>(n)));
    }
    corpus.emplace_back("1 MB of zeros", Bytes(1 << 20, 0));
    corpus.emplace_back("random 1 MB", RandomBytes(1 << 20, 4));
    corpus.emplace_back("one byte repeated past the window", Bytes(70000, 'q'));
    corpus.emplace_back("text, noise and zeros", Concat({TextBytes(90000, 1), RandomBytes(50000, 2),
                                                         Bytes(40000, 0), TextBytes(150000, 3)}));
    DeflateState state;
    for (const auto& [name, input] : corpus) {
        SCOPED_TRACE(name);
        const auto out = DeflateBytes(state, input);
        ASSERT_EQ(out.result, kZipOk) << state.Error();
        const auto back = InflateRaw(out.bytes.data(), out.bytes.size());
        ASSERT_TRUE(back.has_value());
        EXPECT_TRUE(*back == input);
        // Incompressible input goes into stored blocks, five bytes each.
        if (name.rfind("random", 0) == 0) {
            EXPECT_LE(static_cast<double>(out.bytes.size()), static_cast<double>(input.size()) * 1.005 + 256);
        }
    }
    // The empty input is one final fixed-tree block holding only the end code.
    EXPECT_EQ(DeflateBytes(state, {}).bytes, (Bytes{0x03, 0x00}));
}

TEST(Deflate, EveryLevelRoundTripsAndSetsItsFlags) {
    const Bytes input = Concat({TextBytes(120000, 7), RandomBytes(20000, 8), Bytes(5000, 'z'), TextBytes(60000, 9)});
    DeflateState state;
    std::vector<std::size_t> sizes;
    for (int level = 1; level <= 8; ++level) {
        SCOPED_TRACE(level);
        const auto out = DeflateBytes(state, input, 65536, level);
        ASSERT_EQ(out.result, kZipOk) << state.Error();
        EXPECT_TRUE(InflateRaw(out.bytes.data(), out.bytes.size()) == input);
        EXPECT_EQ(out.flags, level <= 2 ? 4 : level == 8 ? 2 : 0);
        sizes.push_back(out.bytes.size());
    }
    EXPECT_LT(sizes.back(), sizes.front());
    for (int level : {0, 9, -1}) {
        EXPECT_EQ(DeflateBytes(state, input, 65536, level).result, kZipFlateFailed);
        EXPECT_STREQ(state.Error(), "bad pack level");
    }
}

// A block of 300 bytes appears again `distance` bytes later, in filler that
// can neither match it nor share its hash. Repeated within reach, it costs a
// few bytes; out of reach, it costs its 300 literals. Measured both near the
// start and across the window slide.
TEST(Deflate, MatchesReachBack32506BytesAndNoFurther) {
    const Bytes block = RandomBytes(300, 5, 0xA0, 0xFF);
    DeflateState state;
    auto sizeFor = [&](std::size_t lead, std::size_t distance, bool repeat) {
        // Filler bytes are below 0x10, so no filler string hashes like the block's start.
        const Bytes second = repeat ? block : RandomBytes(300, 6, 0xA0, 0xFF);
        const Bytes input = Concat({RandomBytes(lead, 1, 0, 0x0F), Bytes{0x40}, block,
                                    RandomBytes(distance - block.size(), 2, 0, 0x0F), second,
                                    RandomBytes(100, 3, 0, 0x0F)});
        const auto out = DeflateBytes(state, input);
        EXPECT_TRUE(InflateRaw(out.bytes.data(), out.bytes.size()) == input);
        return static_cast<long>(out.bytes.size());
    };
    for (std::size_t lead : {100, 50000}) {
        for (std::size_t distance : {32000, 32505, 32506, 32507, 32768}) {
            const bool reachable = distance <= 32506;
            const long saved = sizeFor(lead, distance, false) - sizeFor(lead, distance, true);
            EXPECT_EQ(saved > 200, reachable) << "lead " << lead << " distance " << distance << " saved " << saved;
        }
    }
}

TEST(Deflate, ReusedStateWritesWhatAFreshStateWrites) {
    const Bytes first = Concat({RandomBytes(100000, 11), TextBytes(100000, 12)});
    DeflateState reused;
    ASSERT_EQ(DeflateBytes(reused, first).result, kZipOk);
    for (const Bytes& next : {TextBytes(70000, 13), TextBytes(100, 14), Bytes(300, 0), first}) {
        DeflateState fresh;
        EXPECT_EQ(DeflateBytes(reused, next).bytes, DeflateBytes(fresh, next).bytes);
    }
}

TEST(Deflate, ReadPieceSizesDoNotChangeTheOutput) {
    const Bytes input = Concat({TextBytes(100000, 21), RandomBytes(40000, 22), Bytes(70000, 0), TextBytes(90000, 23)});
    DeflateState state;
    const Bytes whole = DeflateBytes(state, input, input.size()).bytes;
    for (std::size_t piece : {1, 7, 4097, 65536}) EXPECT_EQ(DeflateBytes(state, input, piece).bytes, whole) << piece;
}

// Fibonacci frequencies make the deepest possible tree; limited to the
// format's maximum, the code must still be complete (Kraft sum exactly 1).
// Fewer than two used symbols still get two codes of one bit.
TEST(HuffmanTree, LengthLimitedCodesStayComplete) {
    struct Case {
        int symbols;
        int used;  // the first `used` of every 7th symbol, Fibonacci-weighted
        int maxLength;
    };
    for (const Case c : {Case{19, 19, 7}, Case{30, 30, 15}, Case{286, 40, 15}, Case{286, 0, 15}, Case{286, 1, 15}}) {
        std::vector<std::uint32_t> freq(static_cast<std::size_t>(c.symbols), 0);
        std::uint32_t a = 1, b = 1;
        for (int i = 0; i < c.used; ++i) {
            freq[static_cast<std::size_t>(i * 7) % freq.size()] = a;
            b += a;
            a = b - a;
        }
        std::vector<std::uint8_t> lengths(freq.size());
        qv::zip::deflate::BuildCodeLengths(freq.data(), c.symbols, c.maxLength, lengths.data());
        std::uint64_t kraft = 0;
        int coded = 0;
        for (std::size_t n = 0; n < freq.size(); ++n) {
            if (c.used >= 2) {
                EXPECT_EQ(lengths[n] != 0, freq[n] != 0) << n;
            }
            EXPECT_LE(lengths[n], c.maxLength);
            if (lengths[n] != 0) {
                kraft += std::uint64_t{1} << (c.maxLength - lengths[n]);
                ++coded;
            }
        }
        EXPECT_EQ(kraft, std::uint64_t{1} << c.maxLength) << c.symbols << " symbols, " << c.used << " used";
        EXPECT_EQ(coded, std::max(c.used, 2));
    }
}

TEST(FuzzSmoke, DeflateRoundTripsOfAnyContent) {
    std::mt19937 random(20261209);
    for (int run = 0; run < 300; ++run) {
        // Runs of repeated snippets among noise, so matches of every length occur.
        Bytes input;
        const std::size_t size = random() % 5000;
        while (input.size() < size) {
            if (random() % 3 == 0 && input.size() > 10) {
                const std::size_t from = random() % input.size();
                const std::size_t count = std::min<std::size_t>(random() % 300, input.size() - from);
                const Bytes copy(input.begin() + static_cast<long>(from), input.begin() + static_cast<long>(from + count));
                input.insert(input.end(), copy.begin(), copy.end());
            } else {
                input.push_back(static_cast<std::uint8_t>(random() % 7));
            }
        }
        FuzzDeflateRoundTrip(input.data(), input.size());
    }
}

}  // namespace
