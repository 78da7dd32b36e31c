#pragma once
// Any input, deflated by us and inflated by zlib, comes back equal; aborts
// otherwise. A libFuzzer entry in a clang build with QV_FUZZ, and driven by
// a seeded smoke test in every build.
#include <cstddef>
#include <cstdint>

int FuzzDeflateRoundTrip(const std::uint8_t* data, std::size_t size);
