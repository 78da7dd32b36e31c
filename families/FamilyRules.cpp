// The rules that turn a family's tables into codes and button indexes.
#include "families/FamilyData.h"

std::int32_t UserEffectCode(const FamilyData& family, int n) {
    return family.userEffectCodeBase + family.userEffectCodeStep * n;
}

int UserEffectOfCode(const FamilyData& family, std::int32_t code) {
    if (family.userEffectCodeStep == 0) return -1;
    const std::int32_t offset = code - family.userEffectCodeBase;
    if (offset % family.userEffectCodeStep != 0) return -1;
    const std::int32_t n = offset / family.userEffectCodeStep;
    return n >= 0 && n < kUserEffectCount ? n : -1;
}

int EffectButtonOfCode(const FamilyData& family, std::int32_t code, std::int32_t effectNumber) {
    // Code 0 is a built-in effect (or, where downloads share it, a cloud one,
    // which the caller tells apart by the effect's list id).
    if (code == 0)
        return effectNumber >= 0 && effectNumber < family.builtInEffectCount ? effectNumber : -1;
    if (code >= 1 && code <= kDeviceCustomEffectCount) return family.builtInEffectCount + code - 1;
    const int user = UserEffectOfCode(family, code);
    return user >= 0 ? FirstUserEffectButton(family) + user : -1;
}
