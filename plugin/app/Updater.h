#pragma once
// The updater program "upgrade" beside the host program is copied into the
// temporary folder as "Quorvel_upgrade" (its mode kept) and started there, so
// that it can replace the program's files while it runs.
#include <string>
#include <string_view>

enum class UpdaterStart {
    kStarted,
    kMissing,      // no updater beside the program
    kCopyFailed,   // the copy could not be made; the reason is logged
    kStartFailed,  // the copy did not start
};

// programFolder without a final '/'; version is the skin's "@string/ver".
// The updater's arguments: version, 3, "Quorvel", the plug-in's window class
// and "Quorvel_MAIN". Programs start through the shell service, never
// through a command interpreter.
UpdaterStart StartUpdater(std::u16string_view programFolder, std::u16string_view version);

// Where the copy goes: the temporary folder + "Quorvel_upgrade".
std::u16string UpdaterCopyPath();
