#include "SlowWindowManager.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace qv::test {
namespace {

bool IsMove(const xcb_configure_request_event_t& r) {
    return (r.value_mask & (XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y)) != 0;
}

// The request's values in the order of its mask bits, as the server takes them.
void Configure(xcb_connection_t* conn, const xcb_configure_request_event_t& r) {
    std::vector<std::uint32_t> values;
    const std::uint16_t mask = r.value_mask;
    if (mask & XCB_CONFIG_WINDOW_X) values.push_back(static_cast<std::uint32_t>(r.x));
    if (mask & XCB_CONFIG_WINDOW_Y) values.push_back(static_cast<std::uint32_t>(r.y));
    if (mask & XCB_CONFIG_WINDOW_WIDTH) values.push_back(r.width);
    if (mask & XCB_CONFIG_WINDOW_HEIGHT) values.push_back(r.height);
    if (mask & XCB_CONFIG_WINDOW_BORDER_WIDTH) values.push_back(r.border_width);
    if (mask & XCB_CONFIG_WINDOW_SIBLING) values.push_back(r.sibling);
    if (mask & XCB_CONFIG_WINDOW_STACK_MODE) values.push_back(r.stack_mode);
    xcb_configure_window(conn, r.window, mask, values.data());
}

}  // namespace

SlowWindowManager::SlowWindowManager(const std::string& display, Policy policy)
    : m_conn(xcb_connect(display.c_str(), nullptr)), m_policy(policy) {
    if (xcb_connection_has_error(m_conn) || pipe(m_stop) != 0) return;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_conn)).data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
    xcb_generic_error_t* error =
        xcb_request_check(m_conn, xcb_change_window_attributes_checked(m_conn, root, XCB_CW_EVENT_MASK, &mask));
    m_managing = error == nullptr;
    free(error);
    if (m_managing) m_thread = std::thread([this] { Run(); });
}

SlowWindowManager::~SlowWindowManager() {
    if (m_thread.joinable()) {
        const char byte = 0;
        if (write(m_stop[1], &byte, 1) != 1) std::abort();  // the thread would never end
        m_thread.join();
    }
    for (int fd : m_stop)
        if (fd >= 0) close(fd);
    xcb_disconnect(m_conn);
}

void SlowWindowManager::Run() {
    pollfd fds[2] = {{xcb_get_file_descriptor(m_conn), POLLIN, 0}, {m_stop[0], POLLIN, 0}};
    while (!xcb_connection_has_error(m_conn)) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_conn)) {
            OnEvent(*event);
            free(event);
        }
        // Apply's round trip on the test's thread may read events off the
        // connection: the queue is looked at again soon either way.
        if (poll(fds, 2, 10) < 0 && errno != EINTR) return;
        if (fds[1].revents) return;
    }
}

void SlowWindowManager::OnEvent(const xcb_generic_event_t& event) {
    switch (event.response_type & 0x7F) {
    case XCB_MAP_REQUEST:
        xcb_map_window(m_conn, reinterpret_cast<const xcb_map_request_event_t&>(event).window);
        xcb_flush(m_conn);
        break;
    case XCB_CONFIGURE_REQUEST: {
        const auto& request = reinterpret_cast<const xcb_configure_request_event_t&>(event);
        std::lock_guard<std::mutex> guard(m_lock);
        if (IsMove(request)) {
            ++m_moves;
            const std::pair<int, int> to(request.x, request.y);
            if (m_policy == Policy::LagOneMove && to != m_lastMove) ApplyLocked(-1);
            m_lastMove = to;
        }
        m_held.push_back(request);
        break;
    }
    default: break;
    }
}

void SlowWindowManager::Apply(int moves) {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        ApplyLocked(moves);
    }
    free(xcb_get_input_focus_reply(m_conn, xcb_get_input_focus(m_conn), nullptr));
}

void SlowWindowManager::ApplyLocked(int moves) {
    while (!m_held.empty() && moves != 0) {
        const xcb_configure_request_event_t request = m_held.front();
        m_held.pop_front();
        Configure(m_conn, request);
        if (IsMove(request)) --moves;
    }
    xcb_flush(m_conn);
}

int SlowWindowManager::Moves() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_moves;
}

}  // namespace qv::test
