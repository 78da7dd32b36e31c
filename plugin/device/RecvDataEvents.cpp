#include "plugin/device/RecvDataEvents.h"

#include <cstring>
#include <deque>
#include <mutex>

#include "platform/os/MessageQueue.h"
#include "plugin/app/AppEvents.h"

using Frame = std::array<std::uint8_t, 64>;

struct CRecvDataEvents::State {
    std::mutex mutex;  // guards the members below
    std::deque<Frame> frames;
    bool open = true;

    // UI thread: fires every queued frame in order.
    void Deliver() {
        for (;;) {
            Frame frame;
            {
                std::lock_guard<std::mutex> guard(mutex);
                if (frames.empty()) return;
                frame = frames.front();
                frames.pop_front();
            }
            auto event = NewAppEvent<EventRecvData>();
            std::memcpy(event->frame, frame.data(), sizeof event->frame);
            FireAppEventSync(*event);
        }
    }
};

CRecvDataEvents::CRecvDataEvents() : m_state(std::make_shared<State>()) {}

CRecvDataEvents::~CRecvDataEvents() = default;

bool CRecvDataEvents::OnRecvData(const Frame& frame) {
    qv::ui::SApplication* app = qv::ui::SApplication::getSingletonPtr();
    if (!app || !qv::ui::SNotifyCenter::getSingletonPtr()) return false;
    std::lock_guard<std::mutex> guard(m_state->mutex);
    if (!m_state->open) return false;
    // One delivery task serves every frame queued before it runs.
    if (m_state->frames.empty()) {
        std::weak_ptr<State> weak = m_state;
        const BOOL posted = qv::os::PostTask(app->GetThreadId(), [weak] {
            if (auto state = weak.lock()) state->Deliver();
        });
        if (!posted) return false;
    }
    m_state->frames.push_back(frame);
    return true;
}

void CRecvDataEvents::Open() {
    std::lock_guard<std::mutex> guard(m_state->mutex);
    m_state->open = true;
}

void CRecvDataEvents::Close() {
    {
        std::lock_guard<std::mutex> guard(m_state->mutex);
        m_state->open = false;
    }
    m_state->Deliver();
}
