#pragma once
// The thread one plug-in runs on: it loads the library, runs the client and
// unloads the library, counted in the live plug-in thread counter.
#include <atomic>
#include <string>

#include "common/thread/ThreadObject.h"

class IAppHost;
class IPluginLibraryLoader;

// Told on the plug-in thread when a run begins and when it has ended.
class IPluginRunObserver {
public:
    virtual ~IPluginRunObserver() = default;
    virtual void OnPluginRunStarting() = 0;
    // The client has finished with the card; it still exists.
    virtual void OnClientDone() = 0;
    // result: 1 when no client ran, else the client's Run result.
    virtual void OnPluginRunEnded(int result) = 0;
};

class CDeviceUIThread : public CThreadObject {
public:
    // The library is hostFolder/pluginFile.
    CDeviceUIThread(std::u16string commandLine, const std::u16string& hostFolder,
                    std::u16string pluginFile, IAppHost* host, IPluginLibraryLoader& loader,
                    IPluginRunObserver& observer);
    // Waits for the body to end; the owner deletes the object only once the
    // live plug-in thread count is 0, so that wait is short.
    ~CDeviceUIThread() override;

    // 1 when no client ran, else the client's Run result; valid once the
    // body has ended.
    int Result() const { return m_result.load(); }
    // Why no client ran (empty when one did); valid once the body has ended.
    const std::string& NotStartedReason() const { return m_notStarted; }

protected:
    int Run() override;

private:
    const std::u16string m_commandLine;
    const std::u16string m_pluginFile;
    const std::u16string m_libraryPath;
    IAppHost* const m_host;
    IPluginLibraryLoader& m_loader;
    IPluginRunObserver& m_observer;
    std::atomic<int> m_result{1};
    std::string m_notStarted;
};
