#pragma once
// A window manager that the test plays on its private X server, in a thread
// of its own: it maps windows when they ask and carries out their moves and
// resizes late, as a busy manager does. Held requests are carried out in
// order when the test says, or (LagOneMove) as soon as the window asks to
// go somewhere else, while the window may still be waiting on them.
#include <xcb/xcb.h>

#include <climits>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

namespace qv::test {

class SlowWindowManager {
public:
    enum class Policy { Hold, LagOneMove };

    SlowWindowManager(const std::string& display, Policy policy);
    // Stops the thread and joins it; held requests are dropped.
    ~SlowWindowManager();
    SlowWindowManager(const SlowWindowManager&) = delete;
    SlowWindowManager& operator=(const SlowWindowManager&) = delete;

    // False when another client manages the screen already.
    bool Managing() const { return m_managing; }
    // Carries out held requests in order up to and including the `moves`th
    // move (all of them: -1); the server has them on return.
    void Apply(int moves = -1);
    // The moves asked for so far.
    int Moves() const;

private:
    void Run();
    void OnEvent(const xcb_generic_event_t& event);
    // Carries out held requests up to `moves` moves; m_lock held.
    void ApplyLocked(int moves);

    xcb_connection_t* m_conn;
    Policy m_policy;
    bool m_managing = false;
    int m_stop[2] = {-1, -1};  // a pipe: a byte written ends the thread
    mutable std::mutex m_lock;
    std::deque<xcb_configure_request_event_t> m_held;
    int m_moves = 0;
    std::pair<int, int> m_lastMove{INT_MIN, INT_MIN};  // where the last move asked to go
    std::thread m_thread;
};

}  // namespace qv::test
