#include "platform/ui/SNotifyCenter.h"

#include <atomic>

#include "platform/os/Log.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/SwndDispatch.h"

namespace qv::ui {
namespace {

std::atomic<SNotifyCenter*> g_center{nullptr};

}  // namespace

// What queued deliveries hold: they find the event set through it and learn
// whether the centre still exists. Only the UI thread touches `events`.
struct SNotifyCenter::State {
    DWORD uiThread = 0;
    bool alive = true;
    EventSet events;
};

SNotifyCenter::SNotifyCenter() : m_state(std::make_shared<State>()) {
    m_state->uiThread = qv::os::GetCurrentThreadId();
    SNotifyCenter* expected = nullptr;
    if (!g_center.compare_exchange_strong(expected, this)) QV_LOGE("a second notify centre");
}

SNotifyCenter::~SNotifyCenter() {
    SNotifyCenter* self = this;
    g_center.compare_exchange_strong(self, nullptr);
    m_state->alive = false;
}

SNotifyCenter* SNotifyCenter::getSingletonPtr() { return g_center.load(); }

void SNotifyCenter::addEvent(int id, const SStringW& name) { m_state->events.AddEvent(id, name); }
bool SNotifyCenter::isEventRegistered(int id) const { return m_state->events.IsEventRegistered(id); }

std::uint64_t SNotifyCenter::subscribeEvent(int id, EventSlot slot, const void* owner) {
    return m_state->events.SubscribeEvent(id, std::move(slot), owner);
}

bool SNotifyCenter::unsubscribeEvent(std::uint64_t token) { return m_state->events.UnsubscribeEvent(token); }
void SNotifyCenter::unsubscribeAll(const void* owner) { m_state->events.UnsubscribeOwner(owner); }

bool SNotifyCenter::FireEventSync(EventArgs& e) {
    if (qv::os::GetCurrentThreadId() != m_state->uiThread) {
        QV_LOGE("event %d fired synchronously off the UI thread", e.GetID());
        return false;
    }
    DispatchScope scope;
    int before = e.handled;
    return m_state->events.FireEvent(e) > before;
}

bool SNotifyCenter::FireEventAsync(std::shared_ptr<EventArgs> e) {
    if (!e) return false;
    std::weak_ptr<State> weak = m_state;
    // Posted tasks run in posting order, so each thread's events stay in order.
    BOOL posted = qv::os::PostTask(m_state->uiThread, [weak, e] {
        std::shared_ptr<State> state = weak.lock();
        if (!state || !state->alive) return;
        DispatchScope scope;
        state->events.FireEvent(*e);
    });
    if (!posted) QV_LOGW("event %d dropped: the UI thread has no queue", e->GetID());
    return posted != FALSE;
}

}  // namespace qv::ui
