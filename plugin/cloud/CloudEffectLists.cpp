#include "plugin/cloud/CloudEffectLists.h"

#include "families/FamilyData.h"
#include "plugin/model/RecordText.h"
#include "plugin/workspace/WorkSpace.h"
#include "plugin/workspace/WorkSpaceParams.h"

CloudEffectItem BuiltInCloudEffectRow() {
    CloudEffectItem row{};
    SetFieldText(row.name, u"回荡");
    row.id = kBuiltInCloudEffectId;
    row.status = kCloudEffectDownloaded;
    return row;
}

bool IsCloudEffectDownloaded(CWorkSpace& workspace, std::int32_t id) {
    if (id == kBuiltInCloudEffectId) return true;
    CWorkSpaceParams* params = workspace.Params();
    return params && params->Model().GetDownloadedEffects().FindByCloudId(id) != nullptr;
}

int FindCloudEffectRow(const std::vector<CloudEffectItem>& list, std::int32_t id) {
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].id == id) return static_cast<int>(i);
    return -1;
}

void TakeFetchedCloudEffects(CWorkSpace& workspace, std::vector<CloudEffectItem> received, bool builtInEntry) {
    CWorkSpaceParams* params = workspace.Params();
    const std::int32_t effectNumber = params ? params->Model().GetValue(kParamEffectNumber) : 0;
    if (builtInEntry && effectNumber != kElectricEffectNumber) received.insert(received.begin(), BuiltInCloudEffectRow());
    workspace.CloudEffects() = std::move(received);
}

void SyncBuiltInCloudEntry(std::vector<CloudEffectItem>& list, std::int32_t effectNumber, bool builtInEntry) {
    if (!builtInEntry) return;
    const bool headed = !list.empty() && list.front().id == kBuiltInCloudEffectId;
    if (effectNumber == kElectricEffectNumber && headed)
        list.erase(list.begin());
    else if (effectNumber != kElectricEffectNumber && !list.empty() && !headed)
        list.insert(list.begin(), BuiltInCloudEffectRow());
}

DetailOutcome FinishDetailDownload(CWorkSpace& workspace, std::int32_t id, bool success, const EffectRecord* record) {
    std::vector<CloudEffectItem>& list = workspace.CloudEffects();
    const int index = FindCloudEffectRow(list, id);
    CloudEffectItem* row = index >= 0 ? &list[static_cast<std::size_t>(index)] : nullptr;
    if (row) row->status = kCloudEffectNotDownloaded;

    DetailOutcome outcome;
    CWorkSpaceParams* params = workspace.Params();
    if (success && record && record->id == id && params && params->Model().AddDownloadedEffect(*record)) {
        if (row) row->status = kCloudEffectDownloaded;
        outcome.stored = true;
        return outcome;
    }
    // A detail received but not stored is a failure like any other.
    outcome.failureTip = (row ? std::u16string(FieldText(row->name)) : std::u16string()) + u"云音效下载失败！";
    return outcome;
}

UseOutcome UseCloudEffect(CWorkSpace& workspace, std::int32_t id) {
    CWorkSpaceParams* params = workspace.Params();
    if (!params) return id == kBuiltInCloudEffectId ? UseOutcome::kApplyFailed : UseOutcome::kNotDownloaded;
    if (id == kBuiltInCloudEffectId)
        return params->Model().ApplyCloudEffectDetail() ? UseOutcome::kApplied : UseOutcome::kApplyFailed;
    if (!params->Model().GetDownloadedEffects().FindByCloudId(id)) return UseOutcome::kNotDownloaded;
    return params->Model().ApplyDownloadedEffect(id) ? UseOutcome::kApplied : UseOutcome::kApplyFailed;
}
