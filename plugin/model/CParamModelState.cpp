// The model's part of the state file: custom presets, the last effect, the
// device custom and user effects and the downloaded effects.
#include <algorithm>
#include <string>

#include "platform/os/Log.h"
#include "plugin/model/CParamModel.h"
#include "plugin/model/RecordBytes.h"
#include "plugin/model/RecordText.h"

namespace {

constexpr char16_t kSectionCustomPreset[] = u"CustomPreset";
constexpr char16_t kSectionLastStatus[] = u"LastStatus";
constexpr char16_t kKeyCurrentEffect[] = u"CurrentEffect";
constexpr char16_t kSectionDeviceCustomEffect[] = u"DeviceCustomEffect";
constexpr char16_t kSectionMyCustomEffect[] = u"MyCustomEffect";
constexpr char16_t kSectionDownloadEffect[] = u"DownloadEffect";
constexpr char16_t kKeyCount[] = u"count";
// More downloaded entries than any user collects; bounds the reading of a corrupt count.
constexpr int kMaxDownloadedEffects = 10000;

std::u16string NumberKey(int n) {
    const std::string narrow = std::to_string(n);
    return std::u16string(narrow.begin(), narrow.end());
}

std::u16string PresetKey(int bank, int slot) { return NumberKey(bank) + u"_" + NumberKey(slot); }

template <class Record>
std::optional<Record> ReadRecord(IWorkspaceStateStore* store, const char16_t* section,
                                 const std::u16string& key) {
    if (!store) return std::nullopt;
    const auto bytes = store->ReadStruct(section, key.c_str(), sizeof(Record));
    if (!bytes) return std::nullopt;
    return RecordFromBytes<Record>(*bytes);
}

EffectRecord EmptyUserEffect() {
    EffectRecord record{};
    record.emptyFlag = 1;
    return record;
}

}  // namespace

void CParamModel::LoadState() {
    LoadCustomPresets();
    LoadEffects();
    LoadDownloadedEffects();
}

void CParamModel::LoadCustomPresets() {
    for (int bank = kFirstCustomPresetBank; bank <= kLastCustomPresetBank; ++bank) {
        if (bank >= GetPresetBankCount()) break;
        for (int slot = 0; slot < kCustomPresetSlots; ++slot) {
            const auto preset =
                ReadRecord<GroupPreset>(m_store, kSectionCustomPreset, PresetKey(bank, slot));
            m_presetBanks[static_cast<std::size_t>(bank)].push_back(preset.value_or(GroupPreset{}));
        }
    }
}

void CParamModel::LoadEffects() {
    const auto last = ReadRecord<EffectRecord>(m_store, kSectionLastStatus, kKeyCurrentEffect);
    m_currentEffect = last ? *last : m_deviceEffects.front();

    for (int slot = 0; slot < kDeviceCustomEffectCount; ++slot) {
        const std::size_t index = static_cast<std::size_t>(m_family.builtInEffectCount + slot);
        if (index >= m_deviceEffects.size()) break;
        if (auto record = ReadRecord<EffectRecord>(m_store, kSectionDeviceCustomEffect, NumberKey(slot)))
            m_deviceEffects[index] = *record;
    }

    m_userEffects.clear();
    for (int slot = 0; slot < kUserEffectCount; ++slot) {
        const auto record = ReadRecord<EffectRecord>(m_store, kSectionMyCustomEffect, NumberKey(slot));
        m_userEffects.push_back(record ? *record : EmptyUserEffect());
    }
}

void CParamModel::LoadDownloadedEffects() {
    if (!m_store) return;
    int count = m_store->ReadInt(kSectionDownloadEffect, kKeyCount).value_or(0);
    if (count > kMaxDownloadedEffects) {
        QV_LOGW("downloaded effect count %d capped at %d", count, kMaxDownloadedEffects);
        count = kMaxDownloadedEffects;
    }
    for (int i = 0; i < count; ++i)
        if (auto record = ReadRecord<EffectRecord>(m_store, kSectionDownloadEffect, NumberKey(i)))
            m_downloadedEffects.AddEffect(*record);
}

BOOL CParamModel::WriteRecord(const char16_t* section, const std::u16string& key,
                              std::span<const std::uint8_t> bytes) {
    if (!m_store) return 0;
    if (!m_store->WriteStruct(section, key.c_str(), bytes)) {
        QV_LOGE("writing the state file failed");
        return 0;
    }
    return 1;
}

BOOL CParamModel::SaveCustomPreset(int slot, int bank, const GroupPreset& preset) {
    if (slot < 0 || slot >= kCustomPresetSlots || bank < kFirstCustomPresetBank ||
        bank > kLastCustomPresetBank || bank >= GetPresetBankCount())
        return 0;
    std::vector<GroupPreset>& presets = m_presetBanks[static_cast<std::size_t>(bank)];
    const std::size_t index = static_cast<std::size_t>(FirstCustomSlot(bank) + slot);
    if (presets.size() <= 4 || index >= presets.size() ||
        preset.valueCount != presets.front().valueCount)
        return 0;
    // A record from a file may hold anything: every value must be one its
    // parameter can take.
    const std::vector<const ParamDescriptor*>* members = GetParamGroup(bank);
    if (!members || preset.valueCount < 0 || preset.valueCount > static_cast<std::int32_t>(members->size()) ||
        preset.valueCount > kPresetValueCount)
        return 0;
    for (std::int32_t i = 0; i < preset.valueCount; ++i) {
        const ParamDescriptor& d = *(*members)[static_cast<std::size_t>(i)];
        if (preset.values[i] < 0 || preset.values[i] > d.maximum) return 0;
    }
    GroupPreset stored = preset;
    TerminateTexts(stored);
    presets[index] = stored;
    return WriteRecord(kSectionCustomPreset, PresetKey(bank, slot), RecordToBytes(stored));
}

BOOL CParamModel::SaveCurrentAsPreset(std::u16string_view name, int bank, int slot) {
    if (slot < 0 || slot >= kCustomPresetSlots || bank < kFirstCustomPresetBank ||
        bank > kLastCustomPresetBank || bank >= GetPresetBankCount() || bank >= GetGroupCount())
        return 0;
    std::vector<GroupPreset>& presets = m_presetBanks[static_cast<std::size_t>(bank)];
    const std::vector<const ParamDescriptor*>& members = m_groups[static_cast<std::size_t>(bank)];
    if (presets.size() <= 4 || members.size() > static_cast<std::size_t>(kPresetValueCount))
        return 0;
    GroupPreset preset{};
    SetFieldText(preset.name, name);
    for (std::size_t i = 0; i < members.size(); ++i)
        preset.values[i] = m_currentEffect.values[members[i]->id];
    preset.valueCount = static_cast<std::int32_t>(members.size());
    // The first member of the reverb and voice groups is their switch: a saved preset turns it on.
    if (bank == 2 || bank == 3) preset.values[0] = 1;
    const std::size_t index = static_cast<std::size_t>(FirstCustomSlot(bank) + slot);
    if (presets.size() < std::max<std::size_t>(slot + 6, index + 1))
        presets.resize(std::max<std::size_t>(slot + 6, index + 1), GroupPreset{});
    presets[index] = preset;
    return WriteRecord(kSectionCustomPreset, PresetKey(bank, slot), RecordToBytes(preset));
}

BOOL CParamModel::SaveCustomEffect(std::u16string_view name, int target, int slot) {
    if (name.empty()) return 0;
    const bool device = target == 0 && slot >= 0 && slot < kDeviceCustomEffectCount;
    const bool user = target == 1 && slot >= 0 && slot < kUserEffectCount;
    if (!device && !user) return 0;
    const std::int32_t code = device ? slot + 1
                                     : m_family.userEffectCodeBase + m_family.userEffectCodeStep * slot;

    if (m_family.deviceEffectSaveRule == DeviceEffectSaveRule::kMakeCurrentAndSend) {
        // The current effect becomes the saved one; a device effect reaches the card
        // before it is stored.
        const EffectRecord currentBefore = m_currentEffect;
        SetFieldText(m_currentEffect.name, name);
        m_currentEffect.id = 0;
        m_currentEffect.values[kParamEffectCode] = code;
        if (user) {
            m_userEffects[static_cast<std::size_t>(slot)] = m_currentEffect;
            return WriteRecord(kSectionMyCustomEffect, NumberKey(slot), RecordToBytes(m_currentEffect));
        }
        EffectRecord& stored = m_deviceEffects[static_cast<std::size_t>(m_family.builtInEffectCount + slot)];
        const EffectRecord storedBefore = stored;
        const std::map<std::int32_t, std::int32_t> changedBefore = m_changed;
        stored = m_currentEffect;
        m_changed.clear();
        m_changed[kParamEffectCode] = code;
        if (SendChangedParams() && SyncParams(1) &&
            WriteRecord(kSectionDeviceCustomEffect, NumberKey(slot), RecordToBytes(m_currentEffect)))
            return 1;
        // A save that did not reach both the card and the file changes nothing.
        stored = storedBefore;
        m_currentEffect = currentBefore;
        m_changed = changedBefore;
        return 0;
    }

    EffectRecord record = m_currentEffect;
    SetFieldText(record.name, name);
    record.id = 0;
    record.emptyFlag = 0;
    record.values[kParamEffectCode] = code;
    if (user) {
        m_userEffects[static_cast<std::size_t>(slot)] = record;
        return WriteRecord(kSectionMyCustomEffect, NumberKey(slot), RecordToBytes(record));
    }
    m_deviceEffects[static_cast<std::size_t>(m_family.builtInEffectCount + slot)] = record;
    return WriteRecord(kSectionDeviceCustomEffect, NumberKey(slot), RecordToBytes(record));
}

BOOL CParamModel::AddDownloadedEffect(const EffectRecord& record) {
    EffectRecord stored = record;
    TerminateTexts(stored);
    if (m_downloadedEffects.AddEffect(stored) < 0) return 0;
    if (!m_store) return 0;
    const int count = m_downloadedEffects.GetCount();
    BOOL written = m_store->WriteInt(kSectionDownloadEffect, kKeyCount, count);
    for (int i = 0; i < count; ++i)
        if (!WriteRecord(kSectionDownloadEffect, NumberKey(i),
                         RecordToBytes(*m_downloadedEffects.GetAt(i))))
            written = 0;
    if (!written) QV_LOGE("writing the downloaded effects failed");
    return written ? 1 : 0;
}

BOOL CParamModel::SaveCurrentEffect() {
    return WriteRecord(kSectionLastStatus, kKeyCurrentEffect, RecordToBytes(m_currentEffect));
}
