#pragma once
// The notify centre: application events registered once by id and name,
// subscribed by member functions, fired synchronously on the UI thread or
// asynchronously from any thread. Asynchronous events are delivered on the
// UI thread (in every loop there, modal ones included), in the order each
// firing thread fired them, to the subscribers present at delivery; nothing
// is delivered once the centre is gone.
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/ui/EventSet.h"

namespace qv::ui {

class SNotifyCenter {
public:
    // Created on the UI thread; that thread receives asynchronous events.
    SNotifyCenter();
    ~SNotifyCenter();
    SNotifyCenter(const SNotifyCenter&) = delete;
    SNotifyCenter& operator=(const SNotifyCenter&) = delete;

    static SNotifyCenter* getSingletonPtr();

    // UI thread only.
    void addEvent(int id, const SStringW& name);
    bool isEventRegistered(int id) const;
    std::uint64_t subscribeEvent(int id, EventSlot slot, const void* owner = nullptr);
    template <class C>
    std::uint64_t subscribeEvent(int id, bool (C::*fn)(EventArgs*), C* obj) {
        return subscribeEvent(id, MemberSlot(fn, obj), obj);
    }
    bool unsubscribeEvent(std::uint64_t token);
    // Removes every subscription of one subscriber.
    void unsubscribeAll(const void* owner);
    // Delivers now; returns true when a subscriber handled it.
    bool FireEventSync(EventArgs& e);

    // Any thread. The event is shared until delivered.
    bool FireEventAsync(std::shared_ptr<EventArgs> e);

private:
    struct State;
    std::shared_ptr<State> m_state;
};

}  // namespace qv::ui
