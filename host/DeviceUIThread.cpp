#include "host/DeviceUIThread.h"

#include "host/LivePluginThreads.h"
#include "host/PluginRun.h"
#include "platform/os/Log.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Utf.h"

CDeviceUIThread::CDeviceUIThread(std::u16string commandLine, const std::u16string& hostFolder,
                                 std::u16string pluginFile, IAppHost* host,
                                 IPluginLibraryLoader& loader, IPluginRunObserver& observer)
    : m_commandLine(std::move(commandLine)),
      m_pluginFile(std::move(pluginFile)),
      m_libraryPath(hostFolder + u"/" + m_pluginFile),
      m_host(host),
      m_loader(loader),
      m_observer(observer) {}

CDeviceUIThread::~CDeviceUIThread() { Stop(INFINITE); }

int CDeviceUIThread::Run() {
    LivePluginThreads().Increment();
    qv::os::EnsureThreadQueue();
    m_observer.OnPluginRunStarting();
    const int result = RunPlugin(m_loader, m_libraryPath, m_host, m_commandLine,
                                 [this] { m_observer.OnClientDone(); }, &m_notStarted);
    m_result.store(result);
    QV_TRACE("CDeviceUIThread run finish - %s\n", qv::os::Utf16ToUtf8(m_pluginFile).c_str());
    // Nothing of the plug-in may outlive its run: its targets, timers and
    // pending messages go with the queue.
    qv::os::DestroyThreadQueue();
    m_observer.OnPluginRunEnded(result);
    LivePluginThreads().Decrement();
    return result;
}
