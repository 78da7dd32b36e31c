// The sound page's pads: each list's scroll view rebuilt whole from the
// pad templates, the cloud pages made from the categories, and the tab of
// "tab_sound" kept in the settings.
#include <algorithm>
#include <string>

#include "platform/os/Log.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SWindowFactory.h"
#include "platform/ui/controls/SScrollView.h"
#include "platform/ui/controls/STabCtrl.h"
#include "plugin/model/RecordText.h"
#include "plugin/pages/EventHandlerSound.h"
#include "plugin/pages/SoundPadXml.h"
#include "plugin/sound/BuiltInSounds.h"
#include "plugin/windows/MainDlg.h"
#include "plugin/workspace/SettingsStore.h"

namespace {

constexpr const char16_t* kTabSection = u"nCurSelTabIndex";
constexpr const char16_t* kTabKey = u"tabSound";
constexpr int kColumns = 4;
// The "+" pad follows the local list while the ids after it are custom ones.
constexpr int kFirstAddLocalSlot = kFirstBuiltInPad + 1;
constexpr int kLastAddLocalSlot = kFirstCustomPad + kMaxCustomPads;

int RowsFor(int pads) { return (pads + kColumns - 1) / kColumns; }

}  // namespace

qv::ui::SWindow* CEventHandlerSound::InsertPad(qv::ui::SScrollView* view, pugi::xml_node node, int id, bool withMenu) {
    qv::ui::SWindow* pad = qv::ui::CreateWindowByName(qv::ui::XmlText(node.name()));
    if (!pad) return nullptr;
    view->InsertChild(pad);
    pad->InitFromXml(node);
    if (!withMenu) return pad;
    qv::ui::SWindow* button = pad->GetID() == id ? pad : pad->FindChildByID(id);
    if (button)
        button->SubscribeEvent(qv::ui::EVT_CTXMENU, qv::ui::MemberSlot(&CEventHandlerSound::ShowPadMenu, this), this);
    return pad;
}

void CEventHandlerSound::AddPadButtons(PadKind kind, qv::ui::SScrollView* view, const std::vector<SoundItem>& list,
                                       int category) {
    if (!view) return;
    view->DestroyAllChildren();
    // The local list runs on from the built-in sounds into the custom ones.
    const int firstId = PadIdOf(kind, 0, category);
    int pads = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const int id = firstId + static_cast<int>(i);
        const PadKind at = PadOf(id).kind;
        // Only indexes whose ids the list owns get a pad.
        if (at != kind && !(kind == PadKind::kBuiltIn && at == PadKind::kCustom)) break;
        if (at == PadKind::kCloud && PadOf(id).category != category) break;
        pugi::xml_document doc;
        MakePlainPad(doc, id, FieldText(list[i].name));
        if (!InsertPad(view, doc.first_child(), id, true)) break;
        ++pads;
    }
    const int next = firstId + pads;
    if (next >= kFirstAddLocalSlot && next <= kLastAddLocalSlot) {
        pugi::xml_document doc;
        MakeAddLocalPad(doc);
        if (InsertPad(view, doc.first_child(), kAddLocalPad, false)) ++pads;
    }
    view->SetAttribute(u"rowCount", qv::ui::SStringW::FromUtf8(std::to_string(RowsFor(pads))), false);
    if (!list.empty()) view->UpdateChildrenPosition();
}

void CEventHandlerSound::BuildLocalSoundPage() {
    if (!m_owner) return;
    const bool noFavourites = m_mood.GetFavorites().empty();
    std::vector<SoundItem> list;
    for (int i = 0; i < static_cast<int>(kBuiltInSounds.size()); ++i) {
        const SoundItem item = BuiltInSoundItem(i);
        list.push_back(item);
        if (!noFavourites) continue;
        // A new mood file starts its favourites with the built-in sounds.
        SoundItem favourite = item;
        if (i < kBuiltInHotKeyCount) favourite.hotkey = kFirstBuiltInHotKey + static_cast<std::uint32_t>(i);
        m_mood.AddFavorite(favourite);
    }
    const std::vector<SoundItem>& custom = m_mood.GetCustomSounds();
    list.insert(list.end(), custom.begin(), custom.end());
    AddPadButtons(PadKind::kBuiltIn, m_owner->FindChildByName2<qv::ui::SScrollView>(u"scrollview_sound_local"), list);
}

void CEventHandlerSound::BuildDownloadPage() {
    if (!m_owner) return;
    AddPadButtons(PadKind::kDownload, m_owner->FindChildByName2<qv::ui::SScrollView>(u"scrollview_sound_download"),
                  m_mood.GetDownloads());
}

void CEventHandlerSound::BuildHotkeyPage() {
    if (!m_owner) return;
    auto* view = m_owner->FindChildByName2<qv::ui::SScrollView>(u"scrollview_sound_common");
    if (!view) return;
    view->DestroyAllChildren();
    const std::vector<SoundItem>& favourites = m_mood.GetFavorites();
    int pads = 0;
    for (int i = 0; i < static_cast<int>(favourites.size()); ++i) {
        const int id = PadIdOf(PadKind::kFavourite, i);
        if (!id) break;
        pugi::xml_document doc;
        MakeFavouritePad(doc, id, FieldText(favourites[static_cast<std::size_t>(i)].name), m_mood.GetHotKeyText(i));
        if (!InsertPad(view, doc.first_child(), id, true)) break;
        ++pads;
    }
    const std::string rows = std::to_string(RowsFor(pads));
    view->SetAttribute(u"rowCount", qv::ui::SStringW::FromUtf8(rows), false);
    if (!favourites.empty()) view->UpdateChildrenPosition();
}

void CEventHandlerSound::BuildCloudPages() {
    if (!m_tabs) return;
    m_rebuildingTabs = true;
    for (int page = m_tabs->GetItemCount() - 1; page >= kFixedTabs; --page) m_tabs->RemoveItem(page, 0);
    const int categories = std::min(m_mood.GetCategoryCount(), kMaxCloudCategories);
    for (int c = 0; c < categories; ++c) {
        const std::u16string name = u"scrollview_sound_cloud_" + qv::ui::SStringW::Format(u"%d", c).str();
        if (m_tabs->InsertItem(CloudPageXml(m_mood.GetCategoryName(c), name), kFixedTabs + c) < 0) break;
        AddPadButtons(PadKind::kCloud, m_tabs->FindChildByName2<qv::ui::SScrollView>(name), m_mood.CopyCloudList(c), c);
    }
    m_rebuildingTabs = false;
    SelectStoredTab(kFixedTabs);
}

void CEventHandlerSound::RestoreFixedTab() { SelectStoredTab(0); }

void CEventHandlerSound::SelectStoredTab(int first) {
    const CSettingsStore* store = CSettingsStore::GetStore(0);
    if (!m_tabs || !store) return;
    const int stored = store->ReadInt(kTabSection, kTabKey);
    // The fixed pages at start, the cloud pages once they exist; never a
    // page that is not there.
    const int last = first == 0 ? std::min(kFixedTabs, m_tabs->GetItemCount()) - 1 : m_tabs->GetItemCount() - 1;
    if (stored >= first && stored <= last) m_tabs->SetCurSel(stored);
}

void CEventHandlerSound::OnTabSelChanged(qv::ui::EventArgs* e) {
    auto* changed = qv::ui::EventCast<qv::ui::EventTabSelChanged>(e);
    CSettingsStore* store = CSettingsStore::GetStore(0);
    if (!changed || !store || m_rebuildingTabs) return;
    store->WriteInt(kTabSection, kTabKey, changed->uNewSel);
}

std::optional<SoundItem> CEventHandlerSound::PadItem(int id) {
    const PadRef pad = PadOf(id);
    auto at = [&](const std::vector<SoundItem>& list) -> std::optional<SoundItem> {
        if (pad.index >= static_cast<int>(list.size())) return std::nullopt;
        return list[static_cast<std::size_t>(pad.index)];
    };
    switch (pad.kind) {
    case PadKind::kFavourite: return at(m_mood.GetFavorites());
    case PadKind::kBuiltIn: return BuiltInSoundItem(pad.index);
    case PadKind::kCustom: return at(m_mood.GetCustomSounds());
    case PadKind::kDownload: return at(m_mood.GetDownloads());
    case PadKind::kCloud: return m_mood.GetCloudSound(pad.category, pad.index);
    case PadKind::kNone:
    case PadKind::kAddLocal: break;
    }
    return std::nullopt;
}
