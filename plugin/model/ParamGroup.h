#pragma once
// A static group of parameters that a page edits together.
#include <cstdint>
#include <type_traits>

struct ParamGroup {
    char16_t name[64];
    std::int32_t members[64];  // parameter ids in display order
    std::int32_t memberCount;
};

static_assert(std::is_trivially_copyable_v<ParamGroup>);
static_assert(sizeof(ParamGroup) == 388);
