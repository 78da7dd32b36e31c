#pragma once
// The recorder's URL: "wavein://" followed by "key=value;" pairs. "src" names
// the input, which can only be "line" (the default); "volume" is the input
// volume 0..100. Other keys are ignored.
#include <optional>
#include <string_view>

namespace qv::audio {

struct CaptureUrl {
    int volume = 100;
};

// True when the text uses the "wavein://" scheme (any case).
bool IsCaptureUrl(std::u16string_view text);
// nullopt when the text is not a capture URL this engine records from.
std::optional<CaptureUrl> ParseCaptureUrl(std::u16string_view text);

}  // namespace qv::audio
