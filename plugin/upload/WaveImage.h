#pragma once
// What the card receives for a key: the samples behind a 44-byte WAV header.
#include <cstdint>
#include <span>
#include <vector>

// 44 + samples.size() bytes; empty when the size does not fit a header.
std::vector<std::uint8_t> BuildWaveImage(std::span<const std::uint8_t> samples, std::uint32_t rate,
                                         std::uint16_t channels, std::uint16_t bits);
