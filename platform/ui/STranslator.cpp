#include "platform/ui/STranslator.h"

#include "platform/ui/SObject.h"

namespace qv::ui {
namespace {

void LoadItems(pugi::xml_node parent, std::map<std::u16string, SStringW>& items) {
    for (pugi::xml_node item : parent.children("item")) {
        SStringW src = XmlText(item.attribute("src").value());
        if (src.IsEmpty()) continue;
        items[src.str()] = XmlText(item.text().get());
    }
}

}  // namespace

bool SLanguage::LoadFromXml(pugi::xml_node node) {
    if (node.type() == pugi::node_document) node = node.child("language");
    if (!node || std::string_view(node.name()) != "language") return false;
    m_name = XmlText(node.attribute("name").value());
    LoadItems(node, m_contexts[u""]);
    for (pugi::xml_node ctx : node.children("context")) {
        LoadItems(ctx, m_contexts[XmlText(ctx.attribute("name").value()).str()]);
    }
    return true;
}

const SStringW* SLanguage::Translate(const SStringW& source, const SStringW& context) const {
    for (const std::u16string& ctx : {context.str(), std::u16string()}) {
        auto c = m_contexts.find(ctx);
        if (c == m_contexts.end()) continue;
        auto it = c->second.find(source.str());
        if (it != c->second.end()) return &it->second;
    }
    return nullptr;
}

SStringW STranslatorMgr::Translate(const SStringW& source, const SStringW& context) const {
    if (!m_language) return source;
    const SStringW* t = m_language->Translate(source, context);
    return t ? *t : source;
}

}  // namespace qv::ui
