#pragma once
// What tells this build's plug-in apart: the model code the host matches
// against its device table and the product id of the family's card in
// normal mode. Chosen by QV_FAMILY_DORBII or QV_FAMILY_ZENK.
#include <cstdint>

#include "host/AppInterfaces.h"

#if defined(QV_FAMILY_ZENK)
constexpr std::uint32_t kPluginModelId = kModelZenk;
constexpr std::uint16_t kPluginNormalProductId = 0x001D;
#elif defined(QV_FAMILY_DORBII)
constexpr std::uint32_t kPluginModelId = kModelDorbII;
constexpr std::uint16_t kPluginNormalProductId = 0x0036;
#else
#error "QV_FAMILY_DORBII or QV_FAMILY_ZENK must be defined"
#endif
