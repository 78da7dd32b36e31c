#include "plugin/pages/SoundPadMenu.h"

#include "platform/ui/SMenu.h"
#include "plugin/sound/SoundPadIds.h"

std::vector<PadMenuItem> PadMenuItems(const FamilySoundPageData& family, int padId, bool hasHotKey) {
    const PadMenuItem addFavourite{kPadCmdAddFavourite, u"添加到收藏夹"};
    switch (PadOf(padId).kind) {
    case PadKind::kFavourite:
        if (hasHotKey)
            return {{kPadCmdRemoveFavourite, u"取消收藏"}, {kPadCmdDeleteHotKey, u"删除热键"}, {kPadCmdEditHotKey, u"编辑热键"}};
        return {{kPadCmdRemoveFavourite, u"取消收藏"}, {kPadCmdSetHotKey, u"设置热键"}};
    case PadKind::kCustom:
        return {addFavourite, {kPadCmdDeleteSound, u"删除特效"}, {static_cast<UINT>(family.renameCommand), u"重命名"}};
    case PadKind::kBuiltIn:
    case PadKind::kDownload:
    case PadKind::kCloud:
        return {addFavourite};
    case PadKind::kNone:
    case PadKind::kAddLocal:
        break;
    }
    return {};
}

bool LoadPadMenu(qv::ui::SMenu& menu, const FamilySoundPageData& family, int padId, bool hasHotKey) {
    const std::vector<PadMenuItem> items = PadMenuItems(family, padId, hasHotKey);
    if (items.empty() || !menu.LoadMenu(family.padMenu)) return false;
    UINT position = static_cast<UINT>(family.padMenuFirstPosition);
    for (const PadMenuItem& item : items) menu.InsertMenu(position++, qv::ui::MF_BYPOSITION, item.id, item.text);
    // The card's keys' sub-menu (1006) takes the same colour as the items.
    for (UINT id = 1000; id <= 1007; ++id) {
        if (menu.HasItem(id)) menu.SetItemAttribute(id, u"colorTextHover", u"#ffffff");
    }
    return true;
}
