#include "platform/ui/SMenu.h"

#include <string>

#include "platform/os/Log.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SMenuWnd.h"

namespace qv::ui {
namespace {

bool IsEntry(pugi::xml_node node) {
    std::string_view tag = node.name();
    return tag == "item" || tag == "sep";
}

pugi::xml_node FindById(pugi::xml_node parent, UINT id) {
    for (pugi::xml_node node : parent.children("item")) {
        if (node.attribute("id").as_uint() == id && node.attribute("id")) return node;
        if (pugi::xml_node found = FindById(node, id)) return found;
    }
    return {};
}

pugi::xml_document& EditMenuDoc() {
    static pugi::xml_document doc;
    return doc;
}

}  // namespace

BOOL SetEditMenuTemplate(pugi::xml_node root) {
    EditMenuDoc().reset();
    if (!root) return FALSE;
    EditMenuDoc().append_copy(root);
    return TRUE;
}

pugi::xml_node GetEditMenuTemplate() { return EditMenuDoc().document_element(); }

SMenu::SMenu() = default;
SMenu::~SMenu() = default;

BOOL SMenu::LoadMenu(const SStringW& resName) {
    m_doc.reset();
    SApplication* app = SApplication::getSingletonPtr();
    if (!app || !app->LoadXmlResource(m_doc, resName, u"SMENU") || !GetRoot()) {
        QV_LOGE("menu %s not found", resName.ToUtf8().c_str());
        m_doc.reset();
        return FALSE;
    }
    return TRUE;
}

BOOL SMenu::LoadMenu(pugi::xml_node root) {
    m_doc.reset();
    if (!root) return FALSE;
    m_doc.append_copy(root);
    return TRUE;
}

bool SMenu::IsLoaded() const { return GetRoot() != nullptr; }

pugi::xml_node SMenu::GetRoot() const { return m_doc.document_element(); }

pugi::xml_node SMenu::FindItem(UINT id) const { return FindById(GetRoot(), id); }

bool SMenu::HasItem(UINT id) const { return FindItem(id) != nullptr; }

BOOL SMenu::SetItemAttribute(UINT id, const SStringW& name, const SStringW& value) {
    pugi::xml_node item = FindItem(id);
    if (!item || name.IsEmpty()) return FALSE;
    std::string key = name.ToUtf8();
    pugi::xml_attribute attr = item.attribute(key.c_str());
    if (!attr) attr = item.append_attribute(key.c_str());
    attr.set_value(value.ToUtf8().c_str());
    // A window of the open menu shows the change at once.
    if (m_tracker) {
        for (const auto& wnd : m_tracker->GetWindows()) {
            if (SMenuItemWnd* shown = wnd->FindItem(id)) shown->SetAttribute(name, value, false);
        }
    }
    return TRUE;
}

SStringW SMenu::GetItemAttribute(UINT id, const SStringW& name) const {
    pugi::xml_node item = FindItem(id);
    return item ? XmlText(item.attribute(name.ToUtf8().c_str()).value()) : SStringW();
}

SStringW SMenu::GetItemText(UINT id) const {
    pugi::xml_node item = FindItem(id);
    SStringW text = item ? XmlText(item.text().get()) : SStringW();
    text.Trim();
    return text;
}

int SMenu::GetItemCount() const {
    int n = 0;
    for (pugi::xml_node node : GetRoot().children()) n += IsEntry(node) ? 1 : 0;
    return n;
}

BOOL SMenu::InsertMenu(UINT position, UINT flags, UINT id, const SStringW& text) {
    pugi::xml_node root = GetRoot();
    if (!root) return FALSE;
    pugi::xml_node parent = root;
    pugi::xml_node before;
    if (flags & MF_BYPOSITION) {
        UINT index = 0;
        for (pugi::xml_node node : root.children()) {
            if (!IsEntry(node)) continue;
            if (index++ == position) {
                before = node;
                break;
            }
        }
    } else {
        before = FindItem(position);
        if (!before) return FALSE;
        parent = before.parent();
    }
    const char* tag = (flags & MF_SEPARATOR) ? "sep" : "item";
    pugi::xml_node added = before ? parent.insert_child_before(tag, before) : parent.append_child(tag);
    if (!(flags & MF_SEPARATOR)) {
        added.append_attribute("id").set_value(id);
        added.text().set(text.ToUtf8().c_str());
    }
    return TRUE;
}

UINT SMenu::TrackPopupMenu(UINT flags, int x, int y, HWND owner, int scale) {
    if (!IsLoaded() || m_tracker) return 0;
    SMenuTracker tracker(GetRoot(), scale > 0 ? scale : 100);
    m_tracker = &tracker;
    UINT id = tracker.Open(CPoint(x, y)) ? tracker.Run() : 0;
    m_tracker = nullptr;
    if (id && !(flags & TPM_RETURNCMD) && owner) qv::os::PostMessage(owner, WM_COMMAND, id, 0);
    return id;
}

void SMenu::EndMenu() {
    if (m_tracker) m_tracker->Cancel();
}

}  // namespace qv::ui
