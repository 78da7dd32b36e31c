#pragma once
// The program's wide string: UTF-16 code units over std::u16string. Lengths
// and positions count code units.
#include <cstdarg>
#include <string>
#include <string_view>

namespace qv::ui {

class SStringW {
public:
    SStringW() = default;
    SStringW(const char16_t* text) : m_s(text ? text : u"") {}
    SStringW(const char16_t* text, int length) : m_s(text ? std::u16string(text, static_cast<size_t>(length)) : u"") {}
    SStringW(std::u16string text) : m_s(std::move(text)) {}
    SStringW(std::u16string_view text) : m_s(text) {}
    SStringW(char16_t ch, int count) : m_s(static_cast<size_t>(count), ch) {}

    static SStringW FromUtf8(std::string_view utf8);
    std::string ToUtf8() const;

    // printf-style: %s and %ls take const char16_t*, %hs a const char*, %c a
    // UTF-16 unit; the numeric conversions are those of printf.
    static SStringW Format(const char16_t* format, ...);
    SStringW& AppendFormat(const char16_t* format, ...);
    static SStringW FormatV(const char16_t* format, va_list args);

    int GetLength() const { return static_cast<int>(m_s.size()); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    const char16_t* c_str() const { return m_s.c_str(); }
    const std::u16string& str() const { return m_s; }
    operator std::u16string_view() const { return m_s; }
    char16_t GetAt(int i) const { return m_s[static_cast<size_t>(i)]; }
    char16_t operator[](int i) const { return GetAt(i); }

    // Positions, or -1 when absent.
    int Find(char16_t ch, int start = 0) const;
    int Find(std::u16string_view sub, int start = 0) const;
    int ReverseFind(char16_t ch) const;

    SStringW Left(int count) const;
    SStringW Right(int count) const;
    SStringW Mid(int first, int count = -1) const;

    SStringW& Trim();
    SStringW& TrimLeft();
    SStringW& TrimRight();
    SStringW& MakeLower();
    SStringW& MakeUpper();
    // Replaces every occurrence; returns how many.
    int Replace(std::u16string_view from, std::u16string_view to);

    int Compare(std::u16string_view other) const { return m_s.compare(other); }
    int CompareNoCase(std::u16string_view other) const;
    bool EqualsNoCase(std::u16string_view other) const { return CompareNoCase(other) == 0; }

    SStringW& operator+=(const SStringW& other) { m_s += other.m_s; return *this; }
    SStringW& operator+=(const char16_t* other) { m_s += other; return *this; }
    SStringW& operator+=(char16_t ch) { m_s += ch; return *this; }
    friend SStringW operator+(SStringW a, const SStringW& b) { return a += b; }
    friend SStringW operator+(SStringW a, const char16_t* b) { return a += b; }
    friend bool operator==(const SStringW& a, const SStringW& b) { return a.m_s == b.m_s; }
    friend bool operator==(const SStringW& a, const char16_t* b) { return a.m_s == b; }
    friend bool operator<(const SStringW& a, const SStringW& b) { return a.m_s < b.m_s; }

private:
    std::u16string m_s;
};

// Numbers in UTF-16 text, like wcstol and wcstod: leading blanks skipped,
// parsing stops at the first character that does not fit.
long WcsToL(std::u16string_view text, int base = 10, int* consumed = nullptr);
double WcsToD(std::u16string_view text, int* consumed = nullptr);

}  // namespace qv::ui
