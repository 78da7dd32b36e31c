#include "common/thread/ThreadObject.h"

#include <system_error>

#include "platform/os/AltSignalStack.h"
#include "platform/os/Event.h"
#include "platform/os/Log.h"

struct CThreadObject::State {
    qv::os::Event running{true, false};  // set exactly while the body runs
    qv::os::Event stop{true, false};     // a request to end the body
    qv::os::Event launched{true, false};  // the owner has stored the thread
    qv::os::Event started{true, false};   // latched: the body has begun
    qv::os::Event ended{true, false};     // the procedure is done with the body
    std::thread::id threadId;
};

CThreadObject::CThreadObject() : m_state(std::make_shared<State>()) {}

CThreadObject::~CThreadObject() {
    if (OnOwnThread()) {
        // The body deletes its own object: it cannot wait for itself.
        m_state->stop.Set();
        m_thread.detach();
        return;
    }
    Stop(1000);
}

bool CThreadObject::OnOwnThread() const {
    return m_thread.joinable() && m_thread.get_id() == std::this_thread::get_id();
}

int CThreadObject::Start() {
    if (m_state->running.IsSet()) return 0;
    if (m_thread.joinable()) m_thread.join();  // an earlier body ended by itself

    std::shared_ptr<State> state = m_state;
    state->launched.Reset();
    state->started.Reset();
    state->ended.Reset();
    try {
        m_thread = std::thread([this, state] {
            const qv::os::AltSignalStack altStack;
            (void)state->launched.Wait(INFINITE);
            state->running.Set();
            state->stop.Reset();  // a request left from an earlier run does not end this one
            state->started.Set();
            Run();
            // The object may be gone here: only the shared state is touched.
            state->running.Reset();
            state->ended.Set();
        });
    } catch (const std::system_error& error) {
        QV_LOGE("thread not created: %s", error.what());
        return 0;
    }
    state->launched.Set();
    // The start signal is latched, so a body that ends at once cannot hang us.
    (void)state->started.Wait(INFINITE);
    return 1;
}

int CThreadObject::IsRunning() { return m_state->running.IsSet() ? 1 : 0; }

int CThreadObject::IsStopRequested() { return m_state->stop.IsSet() ? 1 : 0; }

void CThreadObject::RequestStop() { m_state->stop.Set(); }

int CThreadObject::Stop(DWORD timeoutMs) {
    if (!m_thread.joinable()) return 1;
    if (OnOwnThread()) {
        m_state->stop.Set();
        return 1;
    }
    if (m_state->running.IsSet()) {
        m_state->stop.Set();
        if (m_state->ended.Wait(timeoutMs) == qv::os::WaitResult::TimedOut) {
            QV_LOGE("thread still runs %u ms after the stop request; waiting for it to end",
                    static_cast<unsigned>(timeoutMs));
            (void)m_state->ended.Wait(INFINITE);
        }
    }
    m_thread.join();
    return 1;
}
