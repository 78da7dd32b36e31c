// The sound page's pad menu and its commands: favourites, their hotkeys,
// the user's own sounds (add, delete, rename), sending a pad into one of
// the card's keys and the hotkey switch.
#include <string>

#include "families/ThisFamily.h"
#include "platform/os/Utf.h"
#include "platform/ui/IDisplayBackend.h"
#include "platform/ui/SMenu.h"
#include "plugin/app/ResNames.h"
#include "plugin/dialogs/DlgEditFileName.h"
#include "plugin/dialogs/FileDialogHelper.h"
#include "plugin/dialogs/SInputHotKeyDlg.h"
#include "plugin/model/RecordText.h"
#include "plugin/pages/EventHandlerSound.h"
#include "plugin/pages/SoundPadMenu.h"
#include "plugin/sound/PadUpload.h"
#include "plugin/windows/MainDlg.h"

namespace {

constexpr const char16_t* kListFull = u"特效数量已达上限！";
constexpr const char16_t* kPathTooLong = u"文件路径太长，无法添加！";

// The open dialog's one filter: MP3 files.
std::u16string Mp3Filter() {
    std::u16string filter = u"mp3文件(*.mp3)";
    filter += u'\0';
    filter += u"*.mp3;";
    filter += u'\0';
    return filter;
}

// The file's name without its folder and without ".mp3" (in any case) when
// it ends so.
std::u16string ProposedName(std::u16string_view path) {
    const std::size_t slash = path.rfind(u'/');
    std::u16string name(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
    if (name.size() >= 4 && qv::os::EqualsNoCase(std::u16string_view(name).substr(name.size() - 4), u".mp3"))
        name.resize(name.size() - 4);
    return name;
}

}  // namespace

bool CEventHandlerSound::ShowPadMenu(qv::ui::EventArgs* e) {
    if (!m_owner) return false;
    m_menuPad = e->idFrom;
    const FamilySoundPageData& family = ThisFamily().soundPage;
    const PadRef pad = PadOf(m_menuPad);
    const bool hasHotKey = pad.kind == PadKind::kFavourite && m_mood.GetHotKey(pad.index) != 0;
    qv::ui::SMenu menu;
    if (!LoadPadMenu(menu, family, m_menuPad, hasHotKey)) return true;
    const qv::ui::CPoint at = qv::ui::GetDisplayBackend().GetCursorPos();
    menu.TrackPopupMenu(0, at.x, at.y, OwnerHwnd(), 100);
    return true;
}

bool CEventHandlerSound::OnCommand(UINT id) {
    const FamilySoundPageData& family = ThisFamily().soundPage;
    if (id >= kPadCmdSendSlot1 && id <= kPadCmdSendSlot3) {
        // Only a family whose card has sound keys has these commands.
        if (!family.uploadsToCard) return false;
        SendPadToDevice(static_cast<int>(id - kPadCmdSendSlot1) + 1);
        return true;
    }
    const bool favourite = PadOf(m_menuPad).kind == PadKind::kFavourite;
    switch (id) {
    case kPadCmdAddFavourite:
        AddToFavourites();
        return true;
    case kPadCmdRemoveFavourite:
        if (favourite) RemoveFavourite();
        return true;
    case kPadCmdSetHotKey:
    case kPadCmdEditHotKey:
        if (favourite) EditHotKey(false);
        return true;
    case kPadCmdDeleteHotKey:
        if (favourite) EditHotKey(true);
        return true;
    case kPadCmdDeleteSound:
        DeleteCustomSound();
        return true;
    default:
        break;
    }
    if (id != static_cast<UINT>(family.renameCommand)) return false;
    RenameCustomSound();
    return true;
}

void CEventHandlerSound::SendPadToDevice(int slot) {
    const std::optional<SoundItem> item = PadItem(m_menuPad);
    const SoundItem* downloaded =
        item && item->kind == kSoundCloud ? FindSoundById(m_mood.GetDownloads(), item->cloudId) : nullptr;
    if (::SendPadToDevice(item ? &*item : nullptr, slot, m_lastSendSlot, downloaded) == PadSendResult::kDownloadFirst)
        DownloadCloudSound(*item, m_menuPad, kPurposeSend);
}

bool CEventHandlerSound::OnDoSendData(qv::ui::EventArgs* e) {
    // The send window runs modally in there; the page may be gone when it
    // returns, so nothing of it is touched after.
    return ::OnDoSendData(e, m_lastSendSlot, m_mood.GetVolume());
}

void CEventHandlerSound::AddToFavourites() {
    std::optional<SoundItem> item = PadItem(m_menuPad);
    if (!item) return;
    if (item->kind == kSoundCloud) {
        // A cloud sound is kept as its download; one not here yet is fetched first.
        const SoundItem* downloaded = FindSoundById(m_mood.GetDownloads(), item->cloudId);
        if (!downloaded) {
            DownloadCloudSound(*item, m_menuPad, kPurposeFavourite);
            return;
        }
        item = *downloaded;
    }
    if (m_mood.IsInFavorites(*item)) {
        ShowTip(m_menuPad, qv::ui::SStringW::Format(u"收藏夹中已经存在“%s”", std::u16string(FieldText(item->name)).c_str()));
        return;
    }
    if (!m_mood.AddFavorite(*item)) {
        ShowTip(m_menuPad, kListFull);
        return;
    }
    RefreshHotkeyPage();
    ShowTip(m_menuPad, u"成功添加到收藏夹！");
}

void CEventHandlerSound::RemoveFavourite() {
    m_mood.RemoveFavoriteAt(PadOf(m_menuPad).index);
    RefreshHotkeyPage();
}

void CEventHandlerSound::EditHotKey(bool remove) {
    const int pad = m_menuPad;
    const int index = PadOf(pad).index;
    if (index >= static_cast<int>(m_mood.GetFavorites().size())) return;
    // Unregistered meanwhile, so that the dialog can take any combination.
    const bool enabled = m_mood.IsHotKeyEnabled() == 1;
    if (enabled) m_mood.UnregisterHotKeys();
    if (remove) {
        m_mood.SetHotKey(index, 0);
    } else {
        const std::uint32_t current = m_mood.GetHotKey(index);
        const std::weak_ptr<bool> alive = m_alive;
        SInputHotKeyDlg dialog(current, res::layout::XML_HOTKEYDLG, u"");
        const INT_PTR answer = dialog.DoModal(OwnerHwnd());
        if (alive.expired()) return;
        if (answer == IDOK && dialog.GetHotKey() != current) {
            if (m_mood.IsHotKeyUsed(dialog.GetHotKey()))
                ShowTip(pad, u"此热键已经被其他特效占用！");
            else
                m_mood.SetHotKey(index, dialog.GetHotKey());
        }
    }
    if (enabled && m_mood.IsHotKeyEnabled() == 1) m_mood.RegisterHotKeys();
    RefreshHotkeyPage();
}

void CEventHandlerSound::DeleteCustomSound() {
    const PadRef pad = PadOf(m_menuPad);
    std::optional<SoundItem> item = PadItem(m_menuPad);
    if (pad.kind != PadKind::kCustom || !item) return;
    if (FieldText(item->name) == FieldText(m_currentSound.name) && FieldText(item->path) == FieldText(m_currentSound.path))
        StopPlaying();
    m_mood.RemoveCustomSound(pad.index);
    BuildLocalSoundPage();
    if (m_mood.RemoveFavorite(*item)) RefreshHotkeyPage();
}

void CEventHandlerSound::RenameCustomSound() {
    const PadRef pad = PadOf(m_menuPad);
    std::optional<SoundItem> item = PadItem(m_menuPad);
    if (pad.kind != PadKind::kCustom || !item) return;
    const std::weak_ptr<bool> alive = m_alive;
    CDlgEditFileName dialog(qv::ui::SStringW(std::u16string(FieldText(item->name))));
    if (dialog.DoModal(OwnerHwnd()) != IDOK || alive.expired()) return;
    // Favourites keep their own copy of the old name.
    m_mood.RenameCustomSound(pad.index, dialog.GetFileName().str());
    BuildLocalSoundPage();
}

void CEventHandlerSound::OnBtnAddLocalSound() {
    const std::weak_ptr<bool> alive = m_alive;
    const HWND active = qv::ui::GetActiveWindow();
    CFileDialogHelper files(true, OFN_HIDEREADONLY, Mp3Filter(), u"mp3", OwnerHwnd() ? OwnerHwnd() : active);
    if (files.DoModal() != 1 || alive.expired() || !m_owner) return;
    const std::u16string path = files.GetPathName();
    CDlgEditFileName name{qv::ui::SStringW(ProposedName(path))};
    if (name.DoModal(OwnerHwnd()) != IDOK || alive.expired() || !m_owner) return;
    SoundItem item;
    if (!MakeSoundItem(item, kSoundFile, name.GetFileName().str(), path)) {
        ShowTip(kAddLocalPad, kPathTooLong);
        return;
    }
    if (!m_mood.AddCustomSound(item)) {
        ShowTip(kAddLocalPad, kListFull);
        return;
    }
    BuildLocalSoundPage();
}

void CEventHandlerSound::OnChkHotkeySwitch() {
    if (m_hotkeySwitch) m_mood.EnableHotKey(m_hotkeySwitch->IsChecked() ? 1 : 0);
}
