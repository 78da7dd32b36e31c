#pragma once
#include <string>

// The host program from start to end; the process's exit code: 0 for a
// second instance and after a normal run, -1 when the device manager cannot
// be created.
int HostMain(const std::u16string& commandLine);
