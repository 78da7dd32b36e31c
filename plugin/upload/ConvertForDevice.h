#pragma once
// A decoded sound made ready for a key: the WAV file's PCM (8-bit unsigned,
// 16- or 32-bit signed; one or two channels; any rate) cut to the key's time
// limit and converted to 16-bit mono (the mean of the channels) at 44100 Hz
// through the platform's Resampler, sample-exact, as a WAV image. A plain
// function: each call owns its resampler from start to end.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "plugin/upload/PcmWaveFormat.h"

inline constexpr std::uint32_t kDeviceRate = 44100;

// The image, or nothing when the file is no acceptable WAV, holds no
// samples, or the conversion fails. slot 1 .. 3 cuts the source to
// SLOT_SECONDS[slot] x its bytes per second; other slots cut nothing.
std::optional<std::vector<std::uint8_t>> ConvertForDevice(const std::u16string& path, int slot);

// The conversion alone: whole frames of PCM in the format to 16-bit mono
// samples at 44100 Hz, frames x 44100 / rate of them; nothing for another
// format, a rate the resampler refuses, a failure, or a result over 64 MiB.
std::optional<std::vector<std::uint8_t>> ConvertToDeviceSamples(std::span<const std::uint8_t> pcm,
                                                                const PcmWaveFormat& format);
