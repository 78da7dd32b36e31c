#pragma once
#include <string>

// The host program from start to end; the process's exit code: 0 for a
// second instance and after a normal run (also one ended by SIGTERM, SIGINT
// or SIGHUP), -1 when the device manager cannot be created, kExitNoSafeLock
// when the single-instance lock's folder is not private.
int HostMain(const std::u16string& commandLine);

constexpr int kExitNoSafeLock = 1;
