#pragma once
// The dorbII family's static tables.
#include <span>

#include "families/FamilyData.h"

std::span<const ParamDescriptor> DorbIIDescriptors();
std::span<const ParamGroup> DorbIIGroups();
std::span<const EffectRecord> DorbIIDeviceEffects();
std::span<const PresetBankData> DorbIIPresetBanks();
