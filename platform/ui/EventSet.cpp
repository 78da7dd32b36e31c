#include "platform/ui/EventSet.h"

#include <algorithm>
#include <memory>

#include "platform/os/Log.h"

namespace qv::ui {

void EventSet::AddEvent(int id, const SStringW& name) {
    auto it = m_events.find(id);
    if (it == m_events.end()) m_events[id].name = name;
}

void EventSet::RemoveEvent(int id) { m_events.erase(id); }

std::uint64_t EventSet::SubscribeEvent(int id, EventSlot slot, const void* owner) {
    auto it = m_events.find(id);
    if (it == m_events.end()) {
        QV_LOGE("event %d is not offered here; the subscription is refused", id);
        return 0;
    }
    if (!slot) return 0;
    std::uint64_t token = m_nextToken++;
    it->second.subscribers.push_back({token, owner, std::make_shared<EventSlot>(std::move(slot))});
    return token;
}

bool EventSet::UnsubscribeEvent(std::uint64_t token) {
    for (auto& [id, entry] : m_events) {
        auto& subs = entry.subscribers;
        auto it = std::find_if(subs.begin(), subs.end(), [token](const Subscriber& s) { return s.token == token; });
        if (it != subs.end()) {
            subs.erase(it);
            return true;
        }
    }
    return false;
}

void EventSet::UnsubscribeOwner(const void* owner) {
    for (auto& [id, entry] : m_events) {
        std::erase_if(entry.subscribers, [owner](const Subscriber& s) { return s.owner == owner; });
    }
}

int EventSet::FireEvent(EventArgs& e) {
    if (m_muted) return e.handled;
    auto it = m_events.find(e.GetID());
    if (it == m_events.end()) return e.handled;
    // Deliver to a snapshot, skipping subscribers removed meanwhile.
    std::vector<Subscriber> snapshot = it->second.subscribers;
    for (const Subscriber& s : snapshot) {
        if (m_muted) break;  // the owner was destroyed meanwhile
        auto now = m_events.find(e.GetID());
        if (now == m_events.end()) break;
        const auto& subs = now->second.subscribers;
        bool still = std::any_of(subs.begin(), subs.end(), [&](const Subscriber& x) { return x.token == s.token; });
        if (!still) continue;
        if ((*s.slot)(&e)) ++e.handled;
    }
    return e.handled;
}

}  // namespace qv::ui
