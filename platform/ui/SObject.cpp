#include "platform/ui/SObject.h"

#include <strings.h>

namespace qv::ui {

HRESULT SObject::SetAttribute(const SStringW& name, const SStringW& value, bool loading) {
    (void)name;
    (void)value;
    (void)loading;
    return E_FAIL;
}

BOOL SObject::InitFromXml(pugi::xml_node node) {
    if (!node) return FALSE;
    for (pugi::xml_attribute attr : node.attributes()) {
        SetAttribute(XmlText(attr.name()), XmlText(attr.value()), true);
    }
    return TRUE;
}

HRESULT SObject::AfterAttribute(const SStringW& name, const SStringW& value, bool loading, HRESULT hr) {
    (void)name;
    (void)value;
    (void)loading;
    return hr;
}

pugi::xml_attribute XmlAttrNoCase(pugi::xml_node node, const char* name) {
    for (pugi::xml_attribute attr : node.attributes()) {
        if (::strcasecmp(attr.name(), name) == 0) return attr;
    }
    return {};
}

}  // namespace qv::ui
