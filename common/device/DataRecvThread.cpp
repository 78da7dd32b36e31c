#include "common/device/DataRecvThread.h"

#include "common/device/ICommDeviceMgmt.h"
#include "platform/os/Log.h"
#include "platform/os/Tick.h"

CDataRecvThread::~CDataRecvThread() { Stop(); }

int CDataRecvThread::Start(ICommDeviceMgmt* manager) {
    if (!manager || IsRunning()) return 0;
    m_manager = manager;
    m_wake.Reset();
    m_keepRunning = 1;
    if (!CThreadObject::Start()) {
        m_keepRunning = 0;
        return 0;
    }
    return 1;
}

void CDataRecvThread::Stop() {
    if (IsRunning()) {
        m_keepRunning = 0;
        m_wake.Set();
    }
    CThreadObject::Stop(2000);
}

void CDataRecvThread::OnConnectDevice() {
    if (m_idle.Wait(2000) == qv::os::WaitResult::TimedOut) {
        QV_LOGE("**************check: RecvThreadProc not return");
        ICommDeviceMgmt* manager = m_manager;
        Stop();
        qv::os::SleepMs(400);
        Start(manager);
        qv::os::SleepMs(400);
    }
    m_wake.Set();
    qv::os::SleepMs(10);
}

int CDataRecvThread::Run() {
    while (m_keepRunning) {
        (void)m_wake.Wait(INFINITE);
        if (!m_keepRunning) break;
        m_idle.Reset();
        m_manager->RecvThreadProc();
        m_idle.Set();
        QV_TRACE("CDataRecvThread::Run RecvThreadProc return.");
    }
    QV_TRACE("CDataRecvThread::Run return.");
    return 0;
}
