#include "platform/ui/AttrParse.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/os/Hex.h"
#include "platform/os/Log.h"
#include "platform/ui/SApplication.h"

namespace qv::ui {
namespace {

std::u16string_view TrimView(std::u16string_view t) {
    while (!t.empty() && (t.front() == u' ' || t.front() == u'\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == u' ' || t.back() == u'\t')) t.remove_suffix(1);
    return t;
}

std::optional<std::string> Narrow(std::u16string_view t) {
    std::string s;
    for (char16_t c : TrimView(t)) {
        if (c >= 0x80) return std::nullopt;
        s.push_back(static_cast<char>(c));
    }
    if (s.empty()) return std::nullopt;
    return s;
}

std::vector<std::u16string_view> SplitComma(std::u16string_view t) {
    std::vector<std::u16string_view> parts;
    size_t start = 0;
    for (size_t i = 0; i <= t.size(); ++i) {
        if (i == t.size() || t[i] == u',') {
            parts.push_back(t.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

}  // namespace

std::optional<int> ParseInt(std::u16string_view text) {
    auto s = Narrow(text);
    if (!s) return std::nullopt;
    const char* p = s->c_str();
    bool negative = false;
    if (*p == '-' || *p == '+') negative = (*p++ == '-');
    int base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) { base = 16; p += 2; }
    if (!*p) return std::nullopt;
    char* end = nullptr;
    unsigned long long v = std::strtoull(p, &end, base);
    if (*end) return std::nullopt;
    // Hexadecimal may fill all 32 bits (colours, flags).
    long long value = negative ? -static_cast<long long>(v) : static_cast<long long>(v);
    return static_cast<int>(static_cast<unsigned int>(value));
}

std::optional<double> ParseDouble(std::u16string_view text) {
    auto s = Narrow(text);
    if (!s) return std::nullopt;
    char* end = nullptr;
    double v = std::strtod(s->c_str(), &end);
    if (*end) return std::nullopt;
    return v;
}

std::optional<bool> ParseBool(std::u16string_view text) {
    text = TrimView(text);
    if (text.empty()) return std::nullopt;
    if (text == u"0" || text == u"false") return false;
    return true;
}

std::optional<COLORREF> ParseColor(std::u16string_view text) {
    text = TrimView(text);
    constexpr std::u16string_view kRef = u"@color/";
    if (text.starts_with(kRef)) {
        SApplication* app = SApplication::getSingletonPtr();
        auto color = app ? app->GetNamedColor(SStringW(text.substr(kRef.size()))) : std::nullopt;
        if (!color) QV_LOGW("colour %s not in the skin's colour table", SStringW(text).ToUtf8().c_str());
        return color;
    }
    if (text.size() == 7 || text.size() == 9) {
        if (text[0] != u'#') return std::nullopt;
        int bytes[4] = {0, 0, 0, 255};
        for (size_t i = 1, k = 0; i < text.size(); i += 2, ++k) {
            int hi = qv::os::HexDigitValue(text[i]), lo = qv::os::HexDigitValue(text[i + 1]);
            if (hi < 0 || lo < 0) return std::nullopt;
            bytes[k] = hi * 16 + lo;
        }
        return RGBA(static_cast<uint8_t>(bytes[0]), static_cast<uint8_t>(bytes[1]),
                    static_cast<uint8_t>(bytes[2]), static_cast<uint8_t>(bytes[3]));
    }
    bool withAlpha = text.starts_with(u"rgba(");
    if ((withAlpha || text.starts_with(u"rgb(")) && text.back() == u')') {
        auto inner = text.substr(withAlpha ? 5 : 4);
        inner.remove_suffix(1);
        auto parts = SplitComma(inner);
        if (parts.size() != (withAlpha ? 4u : 3u)) return std::nullopt;
        int v[4] = {0, 0, 0, 255};
        for (size_t i = 0; i < parts.size(); ++i) {
            auto n = ParseInt(parts[i]);
            if (!n || *n < 0 || *n > 255) return std::nullopt;
            v[i] = *n;
        }
        return RGBA(static_cast<uint8_t>(v[0]), static_cast<uint8_t>(v[1]), static_cast<uint8_t>(v[2]),
                    static_cast<uint8_t>(v[3]));
    }
    return std::nullopt;
}

std::optional<CSize> ParseSize(std::u16string_view text) {
    auto parts = SplitComma(text);
    if (parts.size() != 2) return std::nullopt;
    auto a = ParseInt(parts[0]), b = ParseInt(parts[1]);
    if (!a || !b) return std::nullopt;
    return CSize(*a, *b);
}

std::optional<CPoint> ParsePoint(std::u16string_view text) {
    auto s = ParseSize(text);
    if (!s) return std::nullopt;
    return CPoint(s->cx, s->cy);
}

std::optional<CRect> ParseRect(std::u16string_view text) {
    auto parts = SplitComma(text);
    if (parts.size() != 4) return std::nullopt;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        auto n = ParseInt(parts[static_cast<size_t>(i)]);
        if (!n) return std::nullopt;
        v[i] = *n;
    }
    return CRect(v[0], v[1], v[2], v[3]);
}

}  // namespace qv::ui
