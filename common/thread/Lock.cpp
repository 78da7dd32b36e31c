#include "common/thread/Lock.h"

namespace ccm_util {

void CLock::Lock() { m_section.Enter(); }

void CLock::Unlock() { m_section.Leave(); }

}  // namespace ccm_util
