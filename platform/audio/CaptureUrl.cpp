#include "platform/audio/CaptureUrl.h"

#include "platform/os/Utf.h"

namespace qv::audio {

namespace {

constexpr std::u16string_view kScheme = u"wavein://";

std::optional<int> Percent(std::u16string_view text) {
    if (text.empty() || text.size() > 3) return std::nullopt;
    int value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c - u'0');
    }
    if (value > 100) return std::nullopt;
    return value;
}

}  // namespace

bool IsCaptureUrl(std::u16string_view text) {
    return text.size() >= kScheme.size() && qv::os::EqualsNoCase(text.substr(0, kScheme.size()), kScheme);
}

std::optional<CaptureUrl> ParseCaptureUrl(std::u16string_view text) {
    if (!IsCaptureUrl(text)) return std::nullopt;
    CaptureUrl url;
    std::u16string_view rest = text.substr(kScheme.size());
    while (!rest.empty()) {
        const std::size_t end = rest.find(u';');
        const std::u16string_view pair = rest.substr(0, end);
        rest = end == std::u16string_view::npos ? std::u16string_view() : rest.substr(end + 1);
        const std::size_t eq = pair.find(u'=');
        if (eq == std::u16string_view::npos) {
            if (pair.empty()) continue;
            return std::nullopt;
        }
        const std::u16string_view key = pair.substr(0, eq);
        const std::u16string_view value = pair.substr(eq + 1);
        if (qv::os::EqualsNoCase(key, u"src")) {
            if (!qv::os::EqualsNoCase(value, u"line")) return std::nullopt;
        } else if (qv::os::EqualsNoCase(key, u"volume")) {
            const std::optional<int> volume = Percent(value);
            if (!volume) return std::nullopt;
            url.volume = *volume;
        }
    }
    return url;
}

}  // namespace qv::audio
