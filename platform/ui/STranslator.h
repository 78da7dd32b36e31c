#pragma once
// Languages: tables of source text to translated text, optionally by
// context. XML: <language name="en"><context name="dlg"><item src="确定">OK</item>
// </context><item src="...">...</item></language>. The installed language
// translates; a text it lacks stays as it is.
#include <map>
#include <memory>
#include <pugixml.hpp>

#include "platform/ui/SStringW.h"

namespace qv::ui {

class SLanguage {
public:
    // Reads a <language> node (or a document whose child is one).
    bool LoadFromXml(pugi::xml_node node);
    const SStringW& GetName() const { return m_name; }
    // The translation, or nullptr when the table has none.
    const SStringW* Translate(const SStringW& source, const SStringW& context) const;

private:
    SStringW m_name;
    std::map<std::u16string, std::map<std::u16string, SStringW>> m_contexts;  // context -> source -> text
};

class STranslatorMgr {
public:
    void InstallLanguage(std::shared_ptr<SLanguage> language) { m_language = std::move(language); }
    void UninstallLanguage() { m_language.reset(); }
    const SLanguage* GetLanguage() const { return m_language.get(); }
    SStringW Translate(const SStringW& source, const SStringW& context = {}) const;

private:
    std::shared_ptr<SLanguage> m_language;
};

}  // namespace qv::ui
