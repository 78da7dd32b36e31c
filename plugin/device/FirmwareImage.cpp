#include "plugin/device/FirmwareImage.h"

#include <algorithm>
#include <string_view>

#include "platform/os/Log.h"
#include "platform/ui/ModuleResources.h"

namespace {

// How the build's placeholder begins.
constexpr std::string_view kPlaceholderStart = "QVFW placeholder";

}  // namespace

bool IsWritableFirmwareImage(std::span<const std::uint8_t> image) {
    if (image.empty() || image.size() > kMaxFirmwareImageBytes) return false;
    return image.size() < kPlaceholderStart.size() ||
           !std::equal(kPlaceholderStart.begin(), kPlaceholderStart.end(), image.begin());
}

std::optional<std::span<const std::uint8_t>> LoadFirmwareImage(HMODULE module) {
    const auto image = qv::ui::FindModuleResource(module, u"DATA", u"FMW15");
    if (!image) {
        QV_LOGE("the plug-in carries no firmware image");
        return std::nullopt;
    }
    if (!IsWritableFirmwareImage(*image)) {
        QV_LOGE("the firmware image (%zu bytes) cannot be written to a card", image->size());
        return std::nullopt;
    }
    return image;
}
