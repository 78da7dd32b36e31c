#include "XScreen.h"

#include <cairo.h>
#include <xcb/xtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "platform/os/MessageQueue.h"

namespace qv::test {

XScreen::XScreen(const std::string& display) : m_conn(xcb_connect(display.c_str(), nullptr)) {
    if (!xcb_connection_has_error(m_conn)) m_root = xcb_setup_roots_iterator(xcb_get_setup(m_conn)).data->root;
}

XScreen::~XScreen() { xcb_disconnect(m_conn); }

std::vector<std::uint32_t> XScreen::Grab(const ui::CRect& rc) {
    std::vector<std::uint32_t> pixels;
    auto* reply = xcb_get_image_reply(
        m_conn,
        xcb_get_image(m_conn, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, static_cast<int16_t>(rc.left),
                      static_cast<int16_t>(rc.top), static_cast<uint16_t>(rc.Width()), static_cast<uint16_t>(rc.Height()), ~0u),
        nullptr);
    if (!reply) return pixels;
    const auto* data = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(reply));
    pixels.assign(data, data + static_cast<std::size_t>(xcb_get_image_data_length(reply)) / 4);
    for (auto& p : pixels) p &= 0xFFFFFF;
    free(reply);
    return pixels;
}

bool XScreen::SaveShot(const ui::CRect& rc, const std::string& relativePath) {
    std::vector<std::uint32_t> pixels = Grab(rc);
    if (pixels.size() != static_cast<std::size_t>(rc.Width()) * static_cast<std::size_t>(rc.Height())) return false;
    const std::filesystem::path path = std::filesystem::path(QV_ARTIFACTS_DIR) / relativePath;
    std::filesystem::create_directories(path.parent_path());
    cairo_surface_t* s = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(pixels.data()),
                                                             CAIRO_FORMAT_RGB24, rc.Width(), rc.Height(), rc.Width() * 4);
    const bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}

void XScreen::MoveTo(ui::CPoint pt) {
    xcb_test_fake_input(m_conn, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, m_root, static_cast<int16_t>(pt.x),
                        static_cast<int16_t>(pt.y), 0);
    xcb_flush(m_conn);
}

void XScreen::Button(bool down) {
    xcb_test_fake_input(m_conn, down ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(m_conn);
}

void XScreen::Sync() { free(xcb_get_input_focus_reply(m_conn, xcb_get_input_focus(m_conn), nullptr)); }

ui::CPoint XScreen::Origin(xcb_window_t window) {
    auto* reply = xcb_translate_coordinates_reply(m_conn, xcb_translate_coordinates(m_conn, window, m_root, 0, 0), nullptr);
    const ui::CPoint at = reply ? ui::CPoint(reply->dst_x, reply->dst_y) : ui::CPoint(-1, -1);
    free(reply);
    return at;
}

void RunFor(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        while (qv::os::PumpOneMessage()) {
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) return;
        qv::os::WaitMessage(static_cast<DWORD>(left.count()));
    }
}

bool RunUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        RunFor(10);
    }
    return true;
}

}  // namespace qv::test
