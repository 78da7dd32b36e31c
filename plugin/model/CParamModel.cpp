// The parameter model's tables and the operations that make effects and presets current.
#include "plugin/model/CParamModel.h"

#include "platform/os/Log.h"
#include "plugin/model/RecordText.h"

CParamModel::CParamModel(const FamilyData& family, IParamModelPort& port,
                         IWorkspaceStateStore* store)
    : m_family(family), m_port(port), m_store(store) {
    BuildTables();
    LoadState();
}

void CParamModel::BuildTables() {
    m_descriptors.assign(m_family.descriptors.begin(), m_family.descriptors.end());
    for (const ParamDescriptor& descriptor : m_descriptors)
        m_currentEffect.values[descriptor.id] = descriptor.defaultValue;

    for (const ParamGroup& group : m_family.groups) {
        std::vector<const ParamDescriptor*> members;
        for (int i = 0; i < group.memberCount; ++i) {
            const std::int32_t id = group.members[i];
            if (id >= 0 && id < GetParamCount())
                members.push_back(&m_descriptors[static_cast<std::size_t>(id)]);
        }
        m_groups.push_back(std::move(members));
        m_groupNames.emplace_back(FieldText(group.name));
    }

    m_deviceEffects.assign(m_family.deviceEffects.begin(), m_family.deviceEffects.end());
    for (const PresetBankData& bank : m_family.presetBanks)
        m_presetBanks.emplace_back(bank.presets.begin(), bank.presets.end());
}

std::int32_t CParamModel::GetValue(int id) const {
    if (id < 0 || id >= GetParamCount()) return 0;
    return m_currentEffect.values[id];
}

const std::vector<const ParamDescriptor*>* CParamModel::GetParamGroup(int group) const {
    if (group < 0 || group >= GetGroupCount()) return nullptr;
    return &m_groups[static_cast<std::size_t>(group)];
}

const std::u16string* CParamModel::GetGroupName(int group) const {
    if (group < 0 || group >= GetGroupCount()) return nullptr;
    return &m_groupNames[static_cast<std::size_t>(group)];
}

const std::vector<GroupPreset>* CParamModel::GetPresetBank(int bank) const {
    if (bank < 0 || bank >= GetPresetBankCount()) return nullptr;
    return &m_presetBanks[static_cast<std::size_t>(bank)];
}

void CParamModel::ApplyEffectRecord(const EffectRecord& record) {
    m_changed.clear();
    SetFieldText(m_currentEffect.name, FieldText(record.name));
    m_currentEffect.id = record.id;
    for (const ParamDescriptor& descriptor : m_descriptors)
        if (descriptor.effectFlag == 1)
            m_currentEffect.values[descriptor.id] = record.values[descriptor.id];
}

BOOL CParamModel::ApplyDeviceEffect(int n) {
    if (n < 0 || n >= static_cast<int>(m_deviceEffects.size())) return 0;
    ApplyEffectRecord(m_deviceEffects[static_cast<std::size_t>(n)]);
    const int builtIn = m_family.builtInEffectCount;
    m_currentEffect.values[kParamEffectCode] = n < builtIn ? 0 : n - builtIn + 1;
    m_port.FireParamChanged();
    SyncParams(0);
    return 1;
}

BOOL CParamModel::ApplyMyCustomEffect(int n) {
    if (n < 0 || n >= static_cast<int>(m_userEffects.size())) return 0;
    const EffectRecord& record = m_userEffects[static_cast<std::size_t>(n)];
    if (record.emptyFlag != 0) return 0;
    ApplyEffectRecord(record);
    m_currentEffect.values[kParamEffectCode] =
        m_family.userEffectCodeBase + m_family.userEffectCodeStep * n;
    m_port.FireParamChanged();
    SyncParams(0);
    return 1;
}

BOOL CParamModel::ApplyDownloadedEffect(std::int32_t cloudId) {
    const EffectRecord* record = m_downloadedEffects.FindByCloudId(cloudId);
    if (!record) return 0;
    ApplyEffectRecord(*record);
    m_currentEffect.values[kParamEffectCode] = m_family.downloadedEffectCode;
    if (record->values[kParamEffectNumber] == m_family.dodgeEffectNumber)
        m_currentEffect.values[kParamDodgeSwitch] = 1;
    m_port.FireParamChanged();
    SyncParams(0);
    return 1;
}

const EffectRecord* CParamModel::EffectForGroupSource(int n) const {
    const int deviceCount = static_cast<int>(m_deviceEffects.size());
    if (n < 0) return nullptr;
    if (n < deviceCount) return &m_deviceEffects[static_cast<std::size_t>(n)];
    if (n - deviceCount < static_cast<int>(m_userEffects.size()))
        return &m_userEffects[static_cast<std::size_t>(n - deviceCount)];
    return nullptr;
}

void CParamModel::ApplyGroupValues(int group, const std::int32_t* sourceValues) {
    const bool connected = m_port.IsConnected();
    for (const ParamDescriptor* member : m_groups[static_cast<std::size_t>(group)]) {
        const std::int32_t value = sourceValues[member->id];
        m_currentEffect.values[member->id] = value;
        if (connected) m_changed[member->id] = value;
    }
    m_port.FireParamChanged();
    if (connected) SendChangedParams();
}

BOOL CParamModel::ApplyEffectGroup(int n, int group) {
    const EffectRecord* source = EffectForGroupSource(n);
    if (!source || !GetParamGroup(group)) {
        QV_LOGE("no effect %d or group %d", n, group);
        return 0;
    }
    ApplyGroupValues(group, source->values);
    return 1;
}

BOOL CParamModel::ApplyDownloadedEffectGroup(int group, std::int32_t cloudId) {
    if (cloudId <= 0 || !GetParamGroup(group)) return 0;
    const EffectRecord* source = m_downloadedEffects.FindByCloudId(cloudId);
    if (!source) return 0;
    ApplyGroupValues(group, source->values);
    return 1;
}

BOOL CParamModel::ApplyCustomPreset(int n, int group) {
    const std::vector<GroupPreset>* bank = GetPresetBank(group);
    if (!bank || !GetParamGroup(group) || n < 0 || n >= static_cast<int>(bank->size())) {
        QV_LOGE("no preset %d in bank %d", n, group);
        return 0;
    }
    const GroupPreset& preset = (*bank)[static_cast<std::size_t>(n)];
    const std::vector<const ParamDescriptor*>& members = m_groups[static_cast<std::size_t>(group)];
    if (preset.valueCount != static_cast<std::int32_t>(members.size()) ||
        members.size() > static_cast<std::size_t>(kPresetValueCount))
        return 0;
    const bool connected = m_port.IsConnected();
    for (std::size_t i = 0; i < members.size(); ++i) {
        m_currentEffect.values[members[i]->id] = preset.values[i];
        if (connected) m_changed[members[i]->id] = preset.values[i];
    }
    m_port.FireParamChanged();
    if (connected) SendChangedParams();
    return 1;
}

BOOL CParamModel::ApplyCloudEffectDetail() {
    const std::vector<GroupPreset>* bank = GetPresetBank(kCloudDetailBank);
    if (!bank || bank->empty()) return 0;
    SetFieldText(m_currentEffect.name, FieldText(bank->front().name));
    m_currentEffect.id = -1;
    m_currentEffect.values[kParamEffectCode] = m_family.downloadedEffectCode;
    return ApplyCustomPreset(0, kCloudDetailBank);
}

int CParamModel::FirstCustomSlot(int bank) const {
    return m_family.presetBanks[static_cast<std::size_t>(bank)].firstCustomSlot;
}

bool CParamModel::IsCustomPresetInRange(int n, int bank) const {
    if (bank < kFirstCustomPresetBank || bank > kLastCustomPresetBank) return false;
    if (bank >= GetPresetBankCount()) return false;
    return n >= 0 && n < FirstCustomSlot(bank) + kCustomPresetSlots &&
           n < static_cast<int>(m_presetBanks[static_cast<std::size_t>(bank)].size());
}

BOOL CParamModel::GetCustomPreset(int n, int bank, GroupPreset& out) const {
    out = GroupPreset{};
    if (!IsCustomPresetInRange(n, bank)) return 0;
    out = m_presetBanks[static_cast<std::size_t>(bank)][static_cast<std::size_t>(n)];
    return 1;
}

const GroupPreset* CParamModel::FindCustomPreset(int n, int bank) const {
    if (!IsCustomPresetInRange(n, bank)) return nullptr;
    const GroupPreset& preset = m_presetBanks[static_cast<std::size_t>(bank)][static_cast<std::size_t>(n)];
    return preset.valueCount > 0 ? &preset : nullptr;
}
