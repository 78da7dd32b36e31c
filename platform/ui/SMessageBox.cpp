#include "platform/ui/SMessageBox.h"

#include <atomic>
#include <sstream>

#include "platform/os/Log.h"
#include "platform/ui/IDisplayBackend.h"
#include "platform/ui/SApplication.h"

namespace qv::ui {
namespace {

class SkinMessageBoxService : public IMessageBoxService {
public:
    int MessageBox(HWND owner, const SStringW& text, const SStringW& caption, UINT type) override {
        SMessageBoxImpl box;
        return box.MessageBox(owner, text, caption, type);
    }
};

std::atomic<IMessageBoxService*> g_service{nullptr};

// The template is set once at start-up, before any box is shown.
pugi::xml_document& TemplateDoc() {
    static pugi::xml_document doc;
    return doc;
}

// The page of "btnSwitch" for a type: 0 OK, 1 Yes/No, 2 Yes/No/Cancel.
int PageOf(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_YESNO: return 1;
    case MB_YESNOCANCEL: return 2;
    default: return 0;
    }
}

}  // namespace

void SetMessageBoxService(IMessageBoxService* service) { g_service.store(service); }

IMessageBoxService& GetMessageBoxService() {
    static SkinMessageBoxService skin;
    IMessageBoxService* s = g_service.load();
    return s ? *s : skin;
}

bool CanShowModalBoxes() { return g_service.load() != nullptr || IsDisplayBackendInstalled(); }

int SMessageBox(HWND owner, const SStringW& text, const SStringW& caption, UINT type) {
    return GetMessageBoxService().MessageBox(owner, text, caption, type);
}

BOOL SetMsgTemplate(pugi::xml_node top) {
    TemplateDoc().reset();
    if (!top) return FALSE;
    TemplateDoc().append_copy(top);
    return TRUE;
}

int SMessageBoxImpl::MessageBox(HWND owner, const SStringW& text, const SStringW& caption, UINT type) {
    pugi::xml_document loaded;
    pugi::xml_node top = TemplateDoc().document_element();
    if (!top) {
        SApplication* app = SApplication::getSingletonPtr();
        if (!app || !app->LoadXmlResource(loaded, u"LAYOUT:XML_MSGBOX", u"LAYOUT")) {
            QV_LOGE("no message-box layout");
            return IDCANCEL;
        }
        top = loaded.document_element();
    }
    std::ostringstream xml;
    top.print(xml, "", pugi::format_raw);
    if (!CreateFromXml(SStringW::FromUtf8(xml.str()), owner)) return IDCANCEL;
    if (!Fill(text, caption, type)) {
        DestroyWindow();
        return IDCANCEL;
    }
    return static_cast<int>(DoModal(owner));
}

bool SMessageBoxImpl::Fill(const SStringW& text, const SStringW& caption, UINT type) {
    if (SWindow* title = FindChildByName(u"msgtitle")) title->SetWindowText(caption);
    if (SWindow* body = FindChildByName(u"msgtext")) body->SetWindowText(text);
    SWindow* pages = FindChildByName(u"btnSwitch");
    if (!pages) {
        QV_LOGE("message-box layout without btnSwitch");
        return false;
    }
    const int wanted = PageOf(type);
    int index = 0;
    bool found = false;
    for (SWindow* page = pages->GetWindow(GSW_FIRSTCHILD); page; page = page->GetWindow(GSW_NEXTSIBLING), ++index) {
        page->SetVisible(index == wanted, false);
        if (index != wanted) continue;
        found = true;
        if (SWindow* first = page->GetWindow(GSW_FIRSTCHILD)) m_defaultId = first->GetID();
    }
    if (!found) QV_LOGE("message-box layout has no page %d", wanted);
    UpdateLayout();
    return found;
}

BOOL SMessageBoxImpl::_HandleEvent(EventArgs* e) {
    if (e->GetID() != EVT_CMD) return FALSE;
    switch (e->idFrom) {
    case IDOK:
    case IDCANCEL:
    case IDYES:
    case IDNO:
        EndDialog(e->idFrom);
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL SMessageBoxImpl::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_KEYDOWN && (wParam == VK_ESCAPE || wParam == VK_RETURN)) {
        EndDialog(wParam == VK_ESCAPE ? IDCANCEL : m_defaultId);
        result = 0;
        return TRUE;
    }
    return SHostDialog::ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
}

}  // namespace qv::ui
