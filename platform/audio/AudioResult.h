#pragma once
// Success, or the text that says why not. A failure always carries a
// non-empty text.
#include <string>
#include <utility>

namespace qv::audio {

class [[nodiscard]] AudioResult {
public:
    static AudioResult Ok() { return AudioResult(); }
    static AudioResult Fail(std::u16string text) {
        AudioResult result;
        result.m_error = text.empty() ? u"audio failure" : std::move(text);
        return result;
    }

    explicit operator bool() const { return m_error.empty(); }
    const std::u16string& Error() const { return m_error; }

private:
    std::u16string m_error;
};

}  // namespace qv::audio
