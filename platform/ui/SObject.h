#pragma once
// The base of everything a layout creates (windows and skins): a class name
// that can be tested along the inheritance chain, and attributes.
#include <pugixml.hpp>
#include <string_view>

#include "platform/os/Types.h"
#include "platform/ui/SStringW.h"

namespace qv::ui {

enum ObjectType { kObjectUnknown = 0, kObjectWindow = 1, kObjectSkin = 2 };

// Declares the layout tag of a class and chains IsClass to its base.
#define QV_CLASS_NAME(Cls, Base, tag, type)                                                    \
public:                                                                                          \
    static constexpr const char16_t* GetClassName() { return tag; }                            \
    static constexpr int GetClassType() { return type; }                                        \
    const char16_t* GetObjectClass() const override { return tag; }                             \
    int GetObjectType() const override { return type; }                                         \
    bool IsClass(std::u16string_view name) const override {                                     \
        return qv::ui::SStringW(name).EqualsNoCase(tag) || Base::IsClass(name);                 \
    }

class SObject {
public:
    virtual ~SObject() = default;

    virtual const char16_t* GetObjectClass() const { return u"object"; }
    virtual int GetObjectType() const { return kObjectUnknown; }
    virtual bool IsClass(std::u16string_view name) const { return SStringW(name).EqualsNoCase(u"object"); }

    virtual int GetID() const { return 0; }
    virtual SStringW GetName() const { return {}; }

    // S_OK: taken, repaint; S_FALSE: taken, no repaint; E_FAIL: refused.
    // Subclasses answer their own names and hand the rest to their base.
    virtual HRESULT SetAttribute(const SStringW& name, const SStringW& value, bool loading);
    // Applies every attribute of the node in document order.
    virtual BOOL InitFromXml(pugi::xml_node node);
    // Called after an attribute is set outside loading.
    virtual HRESULT AfterAttribute(const SStringW& name, const SStringW& value, bool loading, HRESULT hr);
};

// Attribute and element names from pugixml (UTF-8) as UTF-16.
inline SStringW XmlText(const char* utf8) { return SStringW::FromUtf8(utf8 ? utf8 : ""); }
// The node's attribute of that name, compared without regard to case.
pugi::xml_attribute XmlAttrNoCase(pugi::xml_node node, const char* name);

}  // namespace qv::ui
