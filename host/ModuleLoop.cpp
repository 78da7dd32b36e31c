#include "host/ModuleLoop.h"

#include "host/ModuleChoice.h"
#include "platform/os/Log.h"
#include "platform/os/Utf.h"

void ModuleLoop::RequestSwitch(const DeviceRow& row) {
    if (!m_ending.load()) m_requested.store(&row);
    // An end requested meanwhile wins.
    if (m_ending.load()) m_requested.store(nullptr);
}

void ModuleLoop::RequestEnd() {
    m_ending.store(true);
    m_requested.store(nullptr);
}

int ModuleLoop::Run(const std::u16string& commandLine) {
    const std::u16string last = m_seams.ReadLastPluginFile();
    const DeviceRow& first =
        ChooseStartRow(last, [this](const DeviceRow& row) { return m_seams.IsCardPresent(row); });
    m_wake.Reset();
    RequestSwitch(first);

    while (const DeviceRow* row = m_requested.load()) {
        WaitForNoLiveThread();
        // Cleared before the start: a switch the new plug-in requests at
        // once must not be lost.
        if (!m_requested.compare_exchange_strong(row, nullptr) || m_ending.load()) continue;
        m_currentFile.store(row->pluginFile);
        if (!m_seams.StartPluginThread(commandLine, row->pluginFile)) {
            QV_LOGE("plug-in thread for %s could not be started",
                    qv::os::Utf16ToUtf8(row->pluginFile).c_str());
            break;
        }
        (void)m_wake.Wait(INFINITE);
    }
    WaitForNoLiveThread();
    return 0;
}

// Woken by the count itself, so the program ends as soon as the last
// plug-in thread is done instead of at the next poll.
void ModuleLoop::WaitForNoLiveThread() { m_liveThreads.WaitUntilZero(); }
