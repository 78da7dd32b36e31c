#include "host/EndRequest.h"

#include "host/QuorvelApp.h"
#include "platform/os/Log.h"
#include "platform/os/MessageQueue.h"

EndRequest::EndRequest()
    : m_mainThread(qv::os::GetCurrentThreadId()), m_signals([this](int) { OnSignal(); }) {
    if (!m_signals.IsActive()) QV_LOGE("termination signals end the program at once");
}

void EndRequest::Attach(CQuorvelApp* app) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_app = app;
    if (m_app && m_requested.load()) m_app->RequestEnd();
}

void EndRequest::OnSignal() {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_requested.store(true);
    if (m_app) m_app->RequestEnd();
    // A box on the main thread ends at once; the quit stays pending, so a
    // box shown later ends too.
    qv::os::PostTask(m_mainThread, [] { qv::os::PostQuitMessage(0); });
}
