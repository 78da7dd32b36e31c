#include "host/LivePluginThreads.h"

qv::os::InterlockedCounter& LivePluginThreads() {
    static qv::os::InterlockedCounter counter;
    return counter;
}
