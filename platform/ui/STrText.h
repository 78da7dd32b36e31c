#pragma once
// A text as written in a layout or set by code, with its translation into
// the installed language. A leading "@string/name" is looked up in the
// application's string table first.
#include "platform/ui/SStringW.h"

namespace qv::ui {

class STrText {
public:
    STrText() = default;
    explicit STrText(const SStringW& source) { SetText(source); }

    void SetText(const SStringW& source);
    const SStringW& GetSource() const { return m_source; }
    const SStringW& GetText() const { return m_translated; }
    // Translates the source again (after a language change).
    void Translate();

private:
    SStringW m_source;
    SStringW m_translated;
};

// "&&" becomes "&"; a single "&" (a mnemonic mark) is dropped.
SStringW DisplayText(const SStringW& text);

}  // namespace qv::ui
