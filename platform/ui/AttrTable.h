#pragma once
// Attributes as tables. A class lists its attribute names with where each
// value goes (QV_ATTRIBUTES in the class, the rows in its .cpp); its
// SetAttribute walks those rows and hands any other name to its base class.
// Names compare without regard to case, as layouts mix "colorText" and
// "colortext".
//
//   std::span<const AttrRow> SProgress::AttrRows() {
//       static constexpr AttrRow kRows[] = {
//           AttrMember<&SProgress::m_vertical>(u"vertical"),
//           AttrCall<&SProgress::SetMinAttr>(u"min"),
//       };
//       return kRows;
//   }
#include <limits>
#include <optional>
#include <span>
#include <string_view>
#include <type_traits>

#include "platform/ui/Color.h"
#include "platform/ui/Geometry.h"
#include "platform/ui/SObject.h"

namespace qv::ui {

class ISkinObj;

// What a taken value asks of the window: a repaint (the attribute answers
// S_OK), nothing (S_FALSE), or a new layout of its host and a repaint.
enum class AttrEffect { Repaint, NoRepaint, Relayout };

struct AttrRow {
    const char16_t* name;
    // Stores the value; E_FAIL refuses it. self is the table's class.
    HRESULT (*set)(SObject& self, const SStringW& value, bool loading);
    AttrEffect effect;
};

// Case-insensitive comparison of ASCII attribute names.
bool AttrNameEquals(std::u16string_view a, std::u16string_view b);

// Typed readers for table members; false refuses the text. Colours take
// "@color/name" from the skin's colour table, skins are looked up in the
// application's skin pool.
bool ParseAttrValue(const SStringW& text, int& out);
bool ParseAttrValue(const SStringW& text, bool& out);
bool ParseAttrValue(const SStringW& text, COLORREF& out);
bool ParseAttrValue(const SStringW& text, double& out);
bool ParseAttrValue(const SStringW& text, SStringW& out);
bool ParseAttrValue(const SStringW& text, CSize& out);
bool ParseAttrValue(const SStringW& text, ISkinObj*& out);

// Applies the row with the name: nullopt when no row has it, else the
// attribute's answer after AfterAttribute.
std::optional<HRESULT> ApplyAttrRows(std::span<const AttrRow> rows, SObject& self, const SStringW& name,
                                     const SStringW& value, bool loading);

namespace detail {
template <auto Member>
struct MemberOf;
template <class C, class M, M C::*P>
struct MemberOf<P> {
    using Class = C;
    using Type = M;
};
template <auto Fn>
struct MethodOf;
template <class C, HRESULT (C::*F)(const SStringW&, bool)>
struct MethodOf<F> {
    using Class = C;
};

template <auto Member, int Min>
HRESULT SetMember(SObject& self, const SStringW& value, bool) {
    typename MemberOf<Member>::Type parsed{};
    if (!ParseAttrValue(value, parsed)) return E_FAIL;
    if constexpr (std::is_same_v<typename MemberOf<Member>::Type, int>) {
        if (parsed < Min) return E_FAIL;
    }
    static_cast<typename MemberOf<Member>::Class&>(self).*Member = parsed;
    return S_OK;
}

template <auto Fn>
HRESULT CallMethod(SObject& self, const SStringW& value, bool loading) {
    return (static_cast<typename MethodOf<Fn>::Class&>(self).*Fn)(value, loading);
}
}  // namespace detail

// A row that reads the value by the member's type and stores it. Integers
// below Min are refused.
template <auto Member, int Min = std::numeric_limits<int>::min()>
constexpr AttrRow AttrMember(const char16_t* name, AttrEffect effect = AttrEffect::Repaint) {
    return {name, &detail::SetMember<Member, Min>, effect};
}

// A row handled by a member function HRESULT C::Fn(const SStringW& value, bool loading).
template <auto Fn>
constexpr AttrRow AttrCall(const char16_t* name, AttrEffect effect = AttrEffect::Repaint) {
    return {name, &detail::CallMethod<Fn>, effect};
}

}  // namespace qv::ui

// Declares the class's table and a SetAttribute that walks it before Base's.
#define QV_ATTRIBUTES(Base)                                                                                  \
public:                                                                                                      \
    HRESULT SetAttribute(const qv::ui::SStringW& name, const qv::ui::SStringW& value, bool loading) override { \
        if (auto hr = qv::ui::ApplyAttrRows(AttrRows(), *this, name, value, loading)) return *hr;            \
        return Base::SetAttribute(name, value, loading);                                                     \
    }                                                                                                        \
                                                                                                             \
private:                                                                                                     \
    static std::span<const qv::ui::AttrRow> AttrRows();
