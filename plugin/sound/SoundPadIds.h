#pragma once
// The command ids of the sound pads: each list owns a range, and a pad's id
// is its range's first id plus its index in the list. A favourite's id is
// also the id its global hotkey is registered under.
#include <cstdint>

enum class PadKind {
    kNone,
    kFavourite,  // 14000 + i, i <= 998
    kBuiltIn,    // 15000 .. 15009
    kCustom,     // 15010 + i, i <= 987
    kDownload,   // 17000 + i, i <= 998
    kCloud,      // 18000 + 1000 c + i, c <= 6, i <= 999
    kAddLocal,   // 99999: the "+" pad
};

struct PadRef {
    PadKind kind = PadKind::kNone;
    int category = 0;  // cloud pads only
    int index = 0;     // in its list
};

inline constexpr int kFirstFavouritePad = 14000;
inline constexpr int kFirstBuiltInPad = 15000;
inline constexpr int kFirstCustomPad = 15010;
inline constexpr int kFirstDownloadPad = 17000;
inline constexpr int kFirstCloudPad = 18000;
inline constexpr int kCloudPadsPerCategory = 1000;
inline constexpr int kMaxCloudCategories = 7;
inline constexpr int kAddLocalPad = 99999;

inline constexpr int kMaxFavouritePads = 999;
inline constexpr int kMaxCustomPads = 988;
inline constexpr int kMaxDownloadPads = 999;

// The pad an id names; kNone for an id of no pad.
PadRef PadOf(int id);
// The id of a list's pad i (cloud: in category c); 0 when i is beyond the
// list's range.
int PadIdOf(PadKind kind, int index, int category = 0);
