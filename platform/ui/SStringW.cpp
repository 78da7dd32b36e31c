#include "platform/ui/SStringW.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/os/Utf.h"

namespace qv::ui {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0x3000; }

char16_t FoldLower(char16_t c) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<char16_t>(c + 32);
    return c;
}

// Appends one numeric conversion formatted by snprintf.
template <class T>
void AppendNumber(std::u16string& out, const std::string& spec, T value) {
    char buf[512];
    int n = std::snprintf(buf, sizeof buf, spec.c_str(), value);
    if (n < 0) return;
    if (n >= static_cast<int>(sizeof buf)) n = sizeof buf - 1;
    for (int i = 0; i < n; ++i) out.push_back(static_cast<char16_t>(static_cast<unsigned char>(buf[i])));
}

void AppendPadded(std::u16string& out, std::u16string_view text, int width, int precision, bool left) {
    if (precision >= 0 && static_cast<int>(text.size()) > precision) text = text.substr(0, static_cast<size_t>(precision));
    int pad = width - static_cast<int>(text.size());
    if (!left && pad > 0) out.append(static_cast<size_t>(pad), u' ');
    out.append(text);
    if (left && pad > 0) out.append(static_cast<size_t>(pad), u' ');
}

}  // namespace

SStringW SStringW::FromUtf8(std::string_view utf8) { return SStringW(qv::os::Utf8ToUtf16(utf8)); }
std::string SStringW::ToUtf8() const { return qv::os::Utf16ToUtf8(m_s); }

SStringW SStringW::Format(const char16_t* format, ...) {
    va_list args;
    va_start(args, format);
    SStringW s = FormatV(format, args);
    va_end(args);
    return s;
}

SStringW& SStringW::AppendFormat(const char16_t* format, ...) {
    va_list args;
    va_start(args, format);
    m_s += FormatV(format, args).m_s;
    va_end(args);
    return *this;
}

SStringW SStringW::FormatV(const char16_t* format, va_list args) {
    std::u16string out;
    if (!format) return SStringW();
    for (const char16_t* p = format; *p; ++p) {
        if (*p != u'%') { out.push_back(*p); continue; }
        ++p;
        if (*p == u'%') { out.push_back(u'%'); continue; }
        std::string spec = "%";
        bool left = false;
        while (*p == u'-' || *p == u'+' || *p == u' ' || *p == u'#' || *p == u'0') {
            if (*p == u'-') left = true;
            spec.push_back(static_cast<char>(*p++));
        }
        int width = -1;
        if (*p == u'*') { width = va_arg(args, int); spec += std::to_string(width); ++p; }
        else if (*p >= u'0' && *p <= u'9') {
            width = 0;
            while (*p >= u'0' && *p <= u'9') { width = width * 10 + (*p - u'0'); spec.push_back(static_cast<char>(*p++)); }
        }
        int precision = -1;
        if (*p == u'.') {
            spec.push_back('.');
            ++p;
            precision = 0;
            if (*p == u'*') { precision = va_arg(args, int); spec += std::to_string(precision); ++p; }
            else while (*p >= u'0' && *p <= u'9') { precision = precision * 10 + (*p - u'0'); spec.push_back(static_cast<char>(*p++)); }
        }
        int longs = 0;
        bool narrow = false;
        while (*p == u'l' || *p == u'h' || *p == u'z' || *p == u'I') {
            if (*p == u'l') ++longs;
            else if (*p == u'h') narrow = true;
            else if (*p == u'z') longs = 3;
            else if (*p == u'I') { longs = 2; if (p[1] == u'6' && p[2] == u'4') p += 2; }
            ++p;
        }
        char16_t conv = *p;
        if (!conv) break;
        switch (conv) {
        case u's':
        case u'S': {
            std::u16string_view text;
            std::u16string converted;
            if (narrow) {
                const char* s = va_arg(args, const char*);
                converted = qv::os::Utf8ToUtf16(s ? s : "(null)");
                text = converted;
            } else {
                const char16_t* s = va_arg(args, const char16_t*);
                text = s ? s : u"(null)";
            }
            AppendPadded(out, text, width, precision, left);
            break;
        }
        case u'c': {
            char16_t ch = static_cast<char16_t>(va_arg(args, int));
            AppendPadded(out, std::u16string_view(&ch, 1), width, -1, left);
            break;
        }
        case u'd': case u'i': case u'u': case u'x': case u'X': case u'o': {
            const char c = static_cast<char>(conv);
            if (longs == 0) { spec.push_back(c); AppendNumber(out, spec, va_arg(args, int)); }
            else if (longs == 1) { spec += "l"; spec.push_back(c); AppendNumber(out, spec, va_arg(args, long)); }
            else if (longs == 3) { spec += "z"; spec.push_back(c); AppendNumber(out, spec, va_arg(args, size_t)); }
            else { spec += "ll"; spec.push_back(c); AppendNumber(out, spec, va_arg(args, long long)); }
            break;
        }
        case u'f': case u'F': case u'e': case u'E': case u'g': case u'G':
            spec.push_back(static_cast<char>(conv));
            AppendNumber(out, spec, va_arg(args, double));
            break;
        case u'p':
            AppendNumber(out, "%p", va_arg(args, void*));
            break;
        default:
            out.push_back(u'%');
            out.push_back(conv);
            break;
        }
    }
    return SStringW(std::move(out));
}

int SStringW::Find(char16_t ch, int start) const {
    if (start < 0) start = 0;
    size_t pos = m_s.find(ch, static_cast<size_t>(start));
    return pos == std::u16string::npos ? -1 : static_cast<int>(pos);
}

int SStringW::Find(std::u16string_view sub, int start) const {
    if (start < 0) start = 0;
    size_t pos = m_s.find(sub, static_cast<size_t>(start));
    return pos == std::u16string::npos ? -1 : static_cast<int>(pos);
}

int SStringW::ReverseFind(char16_t ch) const {
    size_t pos = m_s.rfind(ch);
    return pos == std::u16string::npos ? -1 : static_cast<int>(pos);
}

SStringW SStringW::Left(int count) const {
    if (count <= 0) return SStringW();
    return SStringW(m_s.substr(0, static_cast<size_t>(count)));
}

SStringW SStringW::Right(int count) const {
    if (count <= 0) return SStringW();
    if (count >= GetLength()) return *this;
    return SStringW(m_s.substr(m_s.size() - static_cast<size_t>(count)));
}

SStringW SStringW::Mid(int first, int count) const {
    if (first < 0) first = 0;
    if (first >= GetLength()) return SStringW();
    if (count < 0) return SStringW(m_s.substr(static_cast<size_t>(first)));
    return SStringW(m_s.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

SStringW& SStringW::Trim() { return TrimRight().TrimLeft(); }

SStringW& SStringW::TrimLeft() {
    size_t i = 0;
    while (i < m_s.size() && IsBlank(m_s[i])) ++i;
    m_s.erase(0, i);
    return *this;
}

SStringW& SStringW::TrimRight() {
    while (!m_s.empty() && IsBlank(m_s.back())) m_s.pop_back();
    return *this;
}

SStringW& SStringW::MakeLower() {
    for (auto& c : m_s) c = FoldLower(c);
    return *this;
}

SStringW& SStringW::MakeUpper() {
    for (auto& c : m_s) c = qv::os::ToUpper(c);
    return *this;
}

int SStringW::Replace(std::u16string_view from, std::u16string_view to) {
    if (from.empty()) return 0;
    int count = 0;
    size_t pos = 0;
    while ((pos = m_s.find(from, pos)) != std::u16string::npos) {
        m_s.replace(pos, from.size(), to);
        pos += to.size();
        ++count;
    }
    return count;
}

int SStringW::CompareNoCase(std::u16string_view other) const {
    size_t n = std::min(m_s.size(), other.size());
    for (size_t i = 0; i < n; ++i) {
        char16_t a = FoldLower(m_s[i]);
        char16_t b = FoldLower(other[i]);
        if (a != b) return a < b ? -1 : 1;
    }
    if (m_s.size() == other.size()) return 0;
    return m_s.size() < other.size() ? -1 : 1;
}

long WcsToL(std::u16string_view text, int base, int* consumed) {
    std::string narrow;
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    const size_t blanks = i;
    for (; i < text.size() && text[i] < 0x80; ++i) narrow.push_back(static_cast<char>(text[i]));
    char* end = nullptr;
    long v = std::strtol(narrow.c_str(), &end, base);
    if (consumed) *consumed = end == narrow.c_str() ? 0 : static_cast<int>(blanks + static_cast<size_t>(end - narrow.c_str()));
    return v;
}

double WcsToD(std::u16string_view text, int* consumed) {
    std::string narrow;
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    const size_t blanks = i;
    for (; i < text.size() && text[i] < 0x80; ++i) narrow.push_back(static_cast<char>(text[i]));
    char* end = nullptr;
    double v = std::strtod(narrow.c_str(), &end);
    if (consumed) *consumed = end == narrow.c_str() ? 0 : static_cast<int>(blanks + static_cast<size_t>(end - narrow.c_str()));
    return v;
}

}  // namespace qv::ui
