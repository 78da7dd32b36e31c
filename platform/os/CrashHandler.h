#pragma once
// Crash dumps. After installation a fatal signal (SIGSEGV, SIGBUS, SIGILL,
// SIGFPE, SIGABRT) writes "<folder>/<baseName>_YYYYMMDDhhmmss.dmp" (local
// time) with the signal, the faulting address, the registers, a backtrace and
// the loaded modules, then lets the signal take its default course. The
// handler uses only async-signal-safe calls; everything it can prepare is
// prepared at installation.
#include <string_view>

namespace qv::os {

// Only the first successful call has an effect. An empty folder means the
// temp folder; an empty base name the executable's. The folder chain is made
// now and again at the crash. False when the paths do not fit.
bool InstallCrashHandler(std::u16string_view folder, std::u16string_view baseName);
bool IsCrashHandlerInstalled();

}  // namespace qv::os
