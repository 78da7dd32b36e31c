#include "tests/zip/fuzz/DeflateRoundTripFuzz.h"

#include <cstdlib>
#include <memory>

#include "tests/zip/RawDeflate.h"

int FuzzDeflateRoundTrip(const std::uint8_t* data, std::size_t size) {
    // One state for the whole run, as a writer keeps one for all its entries.
    static const auto state = std::make_unique<qv::zip::DeflateState>();
    const qv::test::Bytes input(data, data + size);
    // The writer's level 8 (lazy), and level 2 for the greedy matcher; the
    // first byte chooses the read piece so short and long reads both run.
    const std::size_t piece = size > 0 ? 1 + data[0] * 257u : 1;
    for (int level : {8, 2}) {
        const qv::test::Deflated out = qv::test::DeflateBytes(*state, input, piece, level);
        if (out.result != kZipOk) std::abort();
        const auto back = qv::test::InflateRaw(out.bytes.data(), out.bytes.size());
        if (!back || *back != input) std::abort();
    }
    return 0;
}

#ifdef QV_FUZZ_MAIN
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return FuzzDeflateRoundTrip(data, size);
}
#endif
