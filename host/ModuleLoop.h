#pragma once
// Runs one plug-in after the other on the host's main thread until none is
// to run any more.
#include <atomic>
#include <cstdint>
#include <string>

#include "host/DeviceTable.h"
#include "platform/os/Event.h"
#include "platform/os/Interlocked.h"

class IModuleLoopSeams {
public:
    virtual ~IModuleLoopSeams() = default;
    // The plug-in file stored by the last run; empty when none.
    virtual std::u16string ReadLastPluginFile() = 0;
    virtual bool IsCardPresent(const DeviceRow& row) = 0;
    // Starts a plug-in thread for the file and returns once it runs; false
    // when no thread could be started. Called only while no plug-in thread
    // lives, so the seam may release the previous thread object here.
    virtual bool StartPluginThread(const std::u16string& commandLine,
                                   const char16_t* pluginFile) = 0;
};

class ModuleLoop {
public:
    ModuleLoop(IModuleLoopSeams& seams, qv::os::InterlockedCounter& liveThreads)
        : m_seams(seams), m_liveThreads(liveThreads) {}

    // Returns 0 once the last plug-in thread has ended.
    int Run(const std::u16string& commandLine);

    // Any thread: the plug-in of the row runs next, once the running one
    // ends; ignored once the end was requested.
    void RequestSwitch(const DeviceRow& row);
    // Any thread: no further plug-in starts; the loop ends once the running
    // one has ended.
    void RequestEnd();
    bool IsEnding() const { return m_ending.load(); }
    // Any thread: the running plug-in has ended or detached.
    void Wake() { m_wake.Set(); }

    // The plug-in started last; null before the first start.
    const char16_t* CurrentPluginFile() const { return m_currentFile.load(); }

private:
    void WaitForNoLiveThread();

    IModuleLoopSeams& m_seams;
    qv::os::InterlockedCounter& m_liveThreads;
    qv::os::Event m_wake{false, false};
    std::atomic<const DeviceRow*> m_requested{nullptr};
    std::atomic<bool> m_ending{false};
    std::atomic<const char16_t*> m_currentFile{nullptr};
};
