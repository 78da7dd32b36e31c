#pragma once
// A preset of one parameter group. Stored byte for byte in the state file and
// in "*.data" preset files, so its layout is fixed.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

constexpr int kPresetValueCount = 32;

struct GroupPreset {
    char16_t name[16];
    std::int32_t values[kPresetValueCount];  // in the group's member order
    std::int32_t valueCount;                 // 0 marks an empty slot
    std::int32_t reserved;
};

static_assert(std::endian::native == std::endian::little,
              "records are stored as little-endian bytes");
static_assert(std::is_trivially_copyable_v<GroupPreset>);
static_assert(sizeof(GroupPreset) == 168);
static_assert(offsetof(GroupPreset, values) == 32);
static_assert(offsetof(GroupPreset, valueCount) == 160);
static_assert(offsetof(GroupPreset, reserved) == 164);
