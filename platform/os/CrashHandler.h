#pragma once
// Crash dumps. After installation a fatal signal (SIGSEGV, SIGBUS, SIGILL,
// SIGFPE, SIGABRT) writes "<folder>/<baseName>_YYYYMMDDhhmmss.dmp" (local
// time) with the signal, the faulting address, the registers, a backtrace and
// the loaded modules, then lets the signal take its default course. The
// handler uses only async-signal-safe calls; everything it can prepare is
// prepared at installation.
#include <string_view>

namespace qv::os {

// Only the first successful call has an effect. The folder must be private
// (owned by the user, writable by nobody else); an empty or shared one gives
// the user's private temporary folder (PrivateTempFolder). An empty base name
// means the executable's. The folder chain is made now and again at the
// crash. The dump is always a new file (O_EXCL, O_NOFOLLOW, mode 0600); when
// the name is taken, "_1" .. "_9" is added before ".dmp". False when the
// paths do not fit or no private folder can be made.
bool InstallCrashHandler(std::u16string_view folder, std::u16string_view baseName);
bool IsCrashHandlerInstalled();

}  // namespace qv::os
