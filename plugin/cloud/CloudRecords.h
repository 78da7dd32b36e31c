#pragma once
// The catalogue's records as the downloaders hand them on.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

// One sound category: its name as received (UTF-8, terminated) and its id.
struct CloudCategory {
    char name[64];
    std::int32_t id;
};

// One row of the cloud effect list. The name is shown as a framework text,
// so every '&' of the catalogue's name is doubled.
struct CloudEffectItem {
    char16_t name[64];
    std::int32_t id;      // catalogue id; -1 for the built-in entry
    std::int32_t status;  // CloudEffectStatus; 0 as received
};

inline std::string_view CategoryName(const CloudCategory& category) {
    return std::string_view(category.name, ::strnlen(category.name, sizeof category.name));
}

enum CloudEffectStatus : std::int32_t {
    kCloudEffectNotDownloaded = 0,
    kCloudEffectDownloading = 1,
    kCloudEffectDownloaded = 2,
};

static_assert(std::is_trivially_copyable_v<CloudCategory> && sizeof(CloudCategory) == 68);
static_assert(std::is_trivially_copyable_v<CloudEffectItem> && sizeof(CloudEffectItem) == 136);
static_assert(offsetof(CloudEffectItem, id) == 128);
