#pragma once
// One effect: a value for every parameter and a name. Stored byte for byte in
// the state file (little-endian int32, UTF-16 texts), so its layout is fixed.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

constexpr int kEffectValueCount = 64;

struct EffectRecord {
    std::int32_t values[kEffectValueCount];  // by parameter id; unused ids hold 0
    char16_t name[64];
    char16_t remark[256];    // catalogue records only
    char16_t nickname[64];   // author of a catalogue record
    std::int32_t id;         // catalogue id; -1 after a cloud detail was applied
    std::int32_t emptyFlag;  // 1 marks an empty user-effect slot
};

static_assert(std::endian::native == std::endian::little,
              "records are stored as little-endian bytes");
static_assert(std::is_trivially_copyable_v<EffectRecord>);
static_assert(sizeof(EffectRecord) == 1032);
static_assert(offsetof(EffectRecord, name) == 256);
static_assert(offsetof(EffectRecord, remark) == 384);
static_assert(offsetof(EffectRecord, nickname) == 896);
static_assert(offsetof(EffectRecord, id) == 1024);
static_assert(offsetof(EffectRecord, emptyFlag) == 1028);
