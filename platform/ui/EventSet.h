#pragma once
// The events one object offers, by id, with their subscribers. A subscriber
// may remove itself or others while an event is being delivered.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/ui/EventArgs.h"

namespace qv::ui {

using EventSlot = std::function<bool(EventArgs*)>;

// A member function as a slot: bool C::OnFoo(EventArgs*).
template <class C>
EventSlot MemberSlot(bool (C::*fn)(EventArgs*), C* obj) {
    return [fn, obj](EventArgs* e) { return (obj->*fn)(e); };
}

class EventSet {
public:
    // Registers an event once; a second call with the same id is ignored.
    void AddEvent(int id, const SStringW& name);
    bool IsEventRegistered(int id) const { return m_events.count(id) != 0; }
    void RemoveEvent(int id);

    // Returns a token for UnsubscribeEvent, 0 (and a warning in the log)
    // when the id is not registered.
    // owner tags the subscription so UnsubscribeOwner can remove it.
    std::uint64_t SubscribeEvent(int id, EventSlot slot, const void* owner = nullptr);
    bool UnsubscribeEvent(std::uint64_t token);
    void UnsubscribeOwner(const void* owner);

    // Offers the event to every subscriber in subscription order; each one
    // that returns true counts in handled. Returns handled.
    int FireEvent(EventArgs& e);

    void SetMuted(bool muted) { m_muted = muted; }

private:
    struct Subscriber {
        std::uint64_t token;
        const void* owner;
        std::shared_ptr<EventSlot> slot;
    };
    struct Entry {
        SStringW name;
        std::vector<Subscriber> subscribers;
    };
    std::map<int, Entry> m_events;
    std::uint64_t m_nextToken = 1;
    bool m_muted = false;
};

}  // namespace qv::ui
