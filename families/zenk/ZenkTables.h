#pragma once
// The zenk family's static tables.
#include <span>

#include "families/FamilyData.h"

std::span<const ParamDescriptor> ZenkDescriptors();
std::span<const ParamGroup> ZenkGroups();
std::span<const EffectRecord> ZenkDeviceEffects();
std::span<const PresetBankData> ZenkPresetBanks();
