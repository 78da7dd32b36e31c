#pragma once
// The firmware image the plug-in carries for the card: its own resource
// "FMW15" of type "DATA". A build without an image of its own carries a
// text placeholder, which must never reach a card.
#include <cstdint>
#include <optional>
#include <span>

#include "platform/os/Types.h"

constexpr std::size_t kMaxFirmwareImageBytes = 65536;

// Whether the bytes can be written to a card: 1..65536 bytes that are not
// the build's placeholder.
bool IsWritableFirmwareImage(std::span<const std::uint8_t> image);

// The module's image when it is writable; nothing when it is missing or not.
std::optional<std::span<const std::uint8_t>> LoadFirmwareImage(HMODULE module);
