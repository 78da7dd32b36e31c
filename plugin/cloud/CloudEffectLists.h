#pragma once
// The effect page's operations on the cloud and downloaded effect lists that
// do not depend on the page's windows: taking a fetched list, the built-in
// entry "回荡", a detail download's start and end, and using an entry.
// UI thread only.
#include <cstdint>
#include <string>
#include <vector>

#include "plugin/cloud/CloudRecords.h"
#include "plugin/model/EffectRecord.h"

class CWorkSpace;

constexpr std::int32_t kBuiltInCloudEffectId = -1;
// The built-in effect under which "回荡" leaves the list (电音).
constexpr std::int32_t kElectricEffectNumber = 8;

// The entry "回荡": id -1, always downloaded.
CloudEffectItem BuiltInCloudEffectRow();
// The id is -1 or a downloaded effect's.
bool IsCloudEffectDownloaded(CWorkSpace& workspace, std::int32_t id);
// The row index of the id, or -1.
int FindCloudEffectRow(const std::vector<CloudEffectItem>& list, std::int32_t id);

// A successful list fetch: the received list becomes the workspace's, headed
// by "回荡" when the family has it and the current effect is not 电音.
void TakeFetchedCloudEffects(CWorkSpace& workspace, std::vector<CloudEffectItem> received, bool builtInEntry);
// Keeps "回荡" at the head of a non-empty list, or off it under 电音.
void SyncBuiltInCloudEntry(std::vector<CloudEffectItem>& list, std::int32_t effectNumber, bool builtInEntry);

// The end of a detail download of effect id: the row goes back to "not
// downloaded", or to "downloaded" once the received record is stored.
struct DetailOutcome {
    bool stored = false;
    std::u16string failureTip;  // the row's name and "云音效下载失败！" when not stored
};
DetailOutcome FinishDetailDownload(CWorkSpace& workspace, std::int32_t id, bool success, const EffectRecord* record);

enum class UseOutcome {
    kApplied,
    kApplyFailed,    // "回荡" without its values: "音效使用失败!"
    kNotDownloaded,  // "您正在使用未下载的云音效！"
};
UseOutcome UseCloudEffect(CWorkSpace& workspace, std::int32_t id);
