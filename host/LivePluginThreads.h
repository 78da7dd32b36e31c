#pragma once
#include "platform/os/Interlocked.h"

// How many plug-in threads are alive in the process. The module loop starts
// the next plug-in only when it is 0, i.e. the previous library is unloaded.
qv::os::InterlockedCounter& LivePluginThreads();
