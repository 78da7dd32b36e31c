#pragma once
#include <functional>
#include <string>

class IAppHost;
class IPluginLibraryLoader;

// One plug-in run on the calling thread: load the library, get its client
// through "GetClient", and when Init succeeds, Run and Uninit it. The library
// is freed again whenever it was loaded. Returns 1 when no client ran (the
// library, its export or its client missing, or Init failing), else Run's
// result. clientDone runs once a client has finished with its card: after
// Run, or after a failed Init, and before Uninit frees the client. When no
// client ran, notStarted (if given) gets why, in words for the user.
int RunPlugin(IPluginLibraryLoader& loader, const std::u16string& libraryPath, IAppHost* host,
              const std::u16string& commandLine, const std::function<void()>& clientDone = {},
              std::string* notStarted = nullptr);
