#pragma once
#include "families/FamilyData.h"

// The family this build serves, chosen by the compile definition
// QV_FAMILY_DORBII or QV_FAMILY_ZENK of the qvfamily_* library linked.
const FamilyData& ThisFamily();
