#pragma once
// The workspace's parameter model: descriptors, groups, current values, the
// changed set waiting for the card, the effects and presets and the
// operations that make them current, send them and take the card's reports.
// The workspace owns one and supplies the port (device, throttle, controls)
// and the state file. UI thread only.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "families/FamilyData.h"
#include "platform/os/Types.h"
#include "plugin/model/CDownloadEffectList.h"
#include "plugin/model/IParamModelPort.h"
#include "plugin/model/IWorkspaceStateStore.h"
#include "plugin/model/ParamPacking.h"

class CParamModel {
public:
    // Builds the tables of the family and reads the state file (null: none).
    CParamModel(const FamilyData& family, IParamModelPort& port, IWorkspaceStateStore* store);
    CParamModel(const CParamModel&) = delete;
    CParamModel& operator=(const CParamModel&) = delete;

    // Parameters and values.
    int GetParamCount() const { return static_cast<int>(m_descriptors.size()); }
    const std::vector<ParamDescriptor>& GetDescriptors() const { return m_descriptors; }
    // 0 for an id without a descriptor.
    std::int32_t GetValue(int id) const;
    const EffectRecord& GetCurrentEffect() const { return m_currentEffect; }
    // 0 built-in, 1 .. 3 device custom, else a user or downloaded effect (family rule).
    std::int32_t GetCurrentEffectCode() const { return m_currentEffect.values[kParamEffectCode]; }
    const std::map<std::int32_t, std::int32_t>& GetChangedParams() const { return m_changed; }

    // Groups, effects and presets.
    int GetGroupCount() const { return static_cast<int>(m_groups.size()); }
    // Null for a group index out of range.
    const std::vector<const ParamDescriptor*>* GetParamGroup(int group) const;
    const std::u16string* GetGroupName(int group) const;
    const std::vector<EffectRecord>& GetDeviceEffects() const { return m_deviceEffects; }
    const std::vector<EffectRecord>& GetUserEffects() const { return m_userEffects; }
    const CDownloadEffectList& GetDownloadedEffects() const { return m_downloadedEffects; }
    int GetPresetBankCount() const { return static_cast<int>(m_presetBanks.size()); }
    // Null for a bank index out of range.
    const std::vector<GroupPreset>* GetPresetBank(int bank) const;

    // Making effects and presets current; 1 on success, 0 for bad indices.
    void ApplyEffectRecord(const EffectRecord& record);
    BOOL ApplyDeviceEffect(int n);
    BOOL ApplyMyCustomEffect(int n);
    BOOL ApplyDownloadedEffect(std::int32_t cloudId);
    BOOL ApplyEffectGroup(int n, int group);
    BOOL ApplyDownloadedEffectGroup(int group, std::int32_t cloudId);
    BOOL ApplyCustomPreset(int n, int group);
    BOOL ApplyCloudEffectDetail();
    // Copies custom preset n of bank 1 .. 3 to out (zeroed first); 0 when out of range.
    BOOL GetCustomPreset(int n, int bank, GroupPreset& out) const;
    // The preset when in range and not empty, else null.
    const GroupPreset* FindCustomPreset(int n, int bank) const;

    // Saving to the state file; the result is that of the write.
    BOOL SaveCustomPreset(int slot, int bank, const GroupPreset& preset);
    BOOL SaveCurrentAsPreset(std::u16string_view name, int bank, int slot);
    BOOL SaveCustomEffect(std::u16string_view name, int target, int slot);
    BOOL AddDownloadedEffect(const EffectRecord& record);
    // [LastStatus] CurrentEffect, written when a session closes.
    BOOL SaveCurrentEffect();

    // Sync with the card.
    // A bound control changed: index is its control id (parameter id mod 1000).
    void WriteParam(int index, std::int32_t value);
    // Sends the changed set; 1 when all frames were acknowledged or none waited.
    BOOL SendChangedParams();
    // Sends every parameter (all) or the effect parameters; 0 without a card.
    BOOL SyncParams(BOOL all);

    // The values of a card notification (0x9E) taken into the model. complete
    // is false when an unknown id ended the handling: nothing is to be fired.
    struct NotificationOutcome {
        bool complete = false;
        std::vector<qv::model::ParamValue> pairs;  // stored (id, value) in frame order
    };
    NotificationOutcome ApplyNotification(const qv::model::ParamFrame& frame);

private:
    void BuildTables();
    void LoadState();
    void LoadCustomPresets();
    void LoadEffects();
    void LoadDownloadedEffects();

    const EffectRecord* EffectForGroupSource(int n) const;
    void ApplyGroupValues(int group, const std::int32_t* sourceValues);
    bool IsCustomPresetInRange(int n, int bank) const;
    int FirstCustomSlot(int bank) const;
    NotificationOutcome ApplyNotificationAtNamingTriple(const qv::model::ParamNotification& n);
    NotificationOutcome ApplyNotificationAfterFrame(const qv::model::ParamNotification& n);
    const EffectRecord* NotifiedEffect(std::int32_t effectNumber, std::int32_t customSlot) const;
    BOOL WriteRecord(const char16_t* section, const std::u16string& key,
                     std::span<const std::uint8_t> bytes);

    const FamilyData& m_family;
    IParamModelPort& m_port;
    IWorkspaceStateStore* m_store;

    std::map<std::int32_t, std::int32_t> m_changed;
    EffectRecord m_currentEffect{};
    std::vector<ParamDescriptor> m_descriptors;
    std::vector<std::vector<const ParamDescriptor*>> m_groups;
    std::vector<std::u16string> m_groupNames;
    std::vector<EffectRecord> m_deviceEffects;
    std::vector<EffectRecord> m_userEffects;
    CDownloadEffectList m_downloadedEffects;
    std::vector<std::vector<GroupPreset>> m_presetBanks;
};
