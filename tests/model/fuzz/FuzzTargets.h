#pragma once
// Fuzz targets of the parameter model, its state file and the profile
// engine. Each is a libFuzzer entry in a clang build with QV_FUZZ, and is
// also driven by a seeded smoke test.
#include <cstddef>
#include <cstdint>

int FuzzNotification(const std::uint8_t* data, std::size_t size);
int FuzzStateLoad(const std::uint8_t* data, std::size_t size);
int FuzzValueText(const std::uint8_t* data, std::size_t size);
int FuzzProfile(const std::uint8_t* data, std::size_t size);

#define QV_FUZZ_ENTRY(target)                                                              \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { \
        return target(data, size);                                                     \
    }
