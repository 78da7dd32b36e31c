#include "plugin/pages/SoundPadMenu.h"

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

bool IsPadMenuCommand(const FamilySoundPageData& family, UINT id) {
    return id >= kPadCmdAddFavourite && id <= static_cast<UINT>(family.renameCommand);
}
