#pragma once
// The preset import's fuzz target: a libFuzzer entry in a clang build with
// QV_FUZZ, and driven by a seeded smoke test in every build.
#include <cstddef>
#include <cstdint>

int FuzzPresetImport(const std::uint8_t* data, std::size_t size);
