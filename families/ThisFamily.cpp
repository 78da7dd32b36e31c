#include "families/ThisFamily.h"

#if defined(QV_FAMILY_DORBII)
const FamilyData& ThisFamily() { return DorbIIFamily(); }
#elif defined(QV_FAMILY_ZENK)
const FamilyData& ThisFamily() { return ZenkFamily(); }
#else
#error "define QV_FAMILY_DORBII or QV_FAMILY_ZENK to choose the card family of this build"
#endif
