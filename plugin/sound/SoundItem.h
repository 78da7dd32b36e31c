#pragma once
// One pad sound. The first 44 bytes (the head) are stored in the mood file
// as a binary structure, so their layout is a file format.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

enum SoundKind : std::int32_t {
    kSoundBuiltIn = 0,  // a host resource
    kSoundFile = 1,
    kSoundCloud = 2,    // a catalogue sound not downloaded yet
};

enum SoundStatus : std::int32_t {
    kSoundIdle = 0,
    kSoundDownloading = 1,
    kSoundDownloaded = 2,
};

constexpr std::size_t kSoundNameUnits = 8;
constexpr std::size_t kSoundPathUnits = 260;

struct SoundItem {
    std::int32_t kind;             // SoundKind
    char16_t name[kSoundNameUnits];  // at most 7 characters, terminated
    std::uint8_t reserved[16];
    std::uint32_t hotkey;          // key flags << 16 | virtual key; 0 none
    std::int32_t cloudId;          // 0 for local sounds
    // The file path (kind 1), the resource name (kind 0) or the download URL (kind 2).
    char16_t path[kSoundPathUnits];
    std::int32_t status;           // SoundStatus, cloud lists only
};

constexpr std::size_t kSoundHeadBytes = offsetof(SoundItem, path);

static_assert(std::endian::native == std::endian::little, "the head is stored as little-endian bytes");
static_assert(std::is_trivially_copyable_v<SoundItem>);
static_assert(sizeof(SoundItem) == 568);
static_assert(offsetof(SoundItem, name) == 4);
static_assert(offsetof(SoundItem, reserved) == 20);
static_assert(offsetof(SoundItem, hotkey) == 36);
static_assert(offsetof(SoundItem, cloudId) == 40);
static_assert(kSoundHeadBytes == 44);
static_assert(offsetof(SoundItem, status) == 564);
