#include "plugin/sound/SoundPadIds.h"

#include "plugin/sound/BuiltInSounds.h"

namespace {

struct Range {
    PadKind kind;
    int first;
    int count;
};

constexpr Range kRanges[] = {
    {PadKind::kFavourite, kFirstFavouritePad, kMaxFavouritePads},
    {PadKind::kBuiltIn, kFirstBuiltInPad, static_cast<int>(kBuiltInSounds.size())},
    {PadKind::kCustom, kFirstCustomPad, kMaxCustomPads},
    {PadKind::kDownload, kFirstDownloadPad, kMaxDownloadPads},
};

}  // namespace

PadRef PadOf(int id) {
    if (id == kAddLocalPad) return {PadKind::kAddLocal, 0, 0};
    for (const Range& range : kRanges)
        if (id >= range.first && id < range.first + range.count) return {range.kind, 0, id - range.first};
    const int cloudEnd = kFirstCloudPad + kMaxCloudCategories * kCloudPadsPerCategory;
    if (id >= kFirstCloudPad && id < cloudEnd) {
        const int offset = id - kFirstCloudPad;
        return {PadKind::kCloud, offset / kCloudPadsPerCategory, offset % kCloudPadsPerCategory};
    }
    return {};
}

int PadIdOf(PadKind kind, int index, int category) {
    if (index < 0) return 0;
    if (kind == PadKind::kCloud) {
        if (category < 0 || category >= kMaxCloudCategories || index >= kCloudPadsPerCategory) return 0;
        return kFirstCloudPad + category * kCloudPadsPerCategory + index;
    }
    if (kind == PadKind::kAddLocal) return kAddLocalPad;
    for (const Range& range : kRanges)
        if (range.kind == kind) return index < range.count ? range.first + index : 0;
    return 0;
}
