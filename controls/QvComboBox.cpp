#include "controls/QvComboBox.h"

#include "platform/ui/AttrParse.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SSkin.h"
#include "platform/ui/SWindowFactory.h"
#include "platform/ui/controls/ControlLook.h"

namespace qv::controls {

using namespace qv::ui;

std::span<const AttrRow> QvComboBox::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrCall<&QvComboBox::SetCurSelAttr>(u"curSel"),
        AttrCall<&QvComboBox::SetBtnSkinAttr>(u"btnSkin"),
    };
    return kRows;
}

// Kept for the items this class adds itself; the base selects by code.
HRESULT QvComboBox::SetCurSelAttr(const SStringW& value, bool loading) {
    auto v = ParseInt(value);
    if (!v) return E_FAIL;
    m_initialSel = *v;
    return SComboBox::SetAttribute(u"curSel", value, loading);
}

// Kept for painting; the base sizes the button by it.
HRESULT QvComboBox::SetBtnSkinAttr(const SStringW& value, bool loading) {
    ISkinObj* skin = nullptr;
    if (!ParseAttrValue(value, skin)) return E_FAIL;
    m_btnSkin = skin;
    return SComboBox::SetAttribute(u"btnSkin", value, loading);
}

std::unique_ptr<SListBox> QvComboBox::CreateListBox(pugi::xml_node listStyle) {
    std::unique_ptr<SListBox> list(dynamic_cast<SListBox*>(CreateWindowByName(SListBox::GetClassName())));
    if (!list) list = std::make_unique<SListBox>();
    if (listStyle) list->InitFromXml(listStyle);
    list->SetAttribute(u"pos", u"0,0,-0,-0", true);
    list->SetAttribute(u"hotTrack", u"1", true);
    list->SetOwner(this);
    list->SetID(kListId);
    return list;
}

BOOL QvComboBox::CreateChildren(pugi::xml_node node) {
    // The base builds the edit and, through CreateListBox, the list; the
    // items are added here with this control's defaults.
    pugi::xml_document doc;
    pugi::xml_node copy = doc.append_copy(node);
    copy.remove_child("items");
    if (!copy.child("liststyle")) copy.append_child("liststyle");
    SComboBox::CreateChildren(copy);
    for (pugi::xml_node item : node.child("items").children("item")) {
        const SStringW text = XmlText(XmlAttrNoCase(item, "text").value());
        const auto icon = ParseInt(XmlText(XmlAttrNoCase(item, "icon").value()));
        const auto data = ParseInt(XmlText(XmlAttrNoCase(item, "data").value()));
        AddString(STrText(text).GetText(), icon.value_or(0), data.value_or(0));
    }
    if (m_initialSel >= 0 && m_initialSel < GetCount()) SetCurSel(m_initialSel);
    return TRUE;
}

int QvComboBox::GetDropButtonFrame() const {
    const DWORD state = GetDropButtonState();
    if (IsDisabled(true)) return 3;
    if (state & (WndState_PushDown | WndState_Check)) return 2;
    if (state & WndState_Hover) return 1;
    return 0;
}

void QvComboBox::OnPaint(SRenderTarget& rt) {
    const CRect rc = GetWindowRect();
    if (ISkinObj* skin = GetSkin()) skin->Draw(rt, rc, SkinFrameForState(GetState(), skin->GetStates()));
    else rt.FillSolidRect(rc, look::kPanel);
    const CRect button = GetDropButtonRect();
    if (GetCurSel() >= 0 && !GetEdit()) {
        CRect text = GetClientRect();
        text.right = button.left;
        DrawText(rt, DisplayText(GetWindowText()), text);
    }
    if (m_btnSkin) m_btnSkin->Draw(rt, button, GetDropButtonFrame());
}

}  // namespace qv::controls
