#include "tests/mainwnd/XClient.h"

#include <cairo.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <thread>

#include "tests/desktop/XvfbServer.h"

namespace qv::test {
namespace {

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

template <typename Pred>
bool Within(int timeoutMs, Pred pred) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        if (pred()) return true;
        Sleep(20);
    } while (std::chrono::steady_clock::now() < end);
    return pred();
}

// Shots taken under a window manager go to a folder named after it, beside
// those taken without one.
std::filesystem::path ArtifactPath(const std::string& relativePath) {
    const std::string wm = RequestedWindowManager();
    return std::filesystem::path(QV_ARTIFACTS_DIR) / (wm.empty() ? "" : wm) / relativePath;
}

}  // namespace

bool OpensBeside(const ScreenRect& popup, const ScreenRect& item, int slack) {
    const bool right = std::abs(popup.x - item.Right()) <= slack;
    const bool left = std::abs(popup.Right() - item.x) <= slack;
    const bool level = popup.y <= item.y + slack && popup.Bottom() > item.y;
    return (right || left) && level;
}

XClient::XClient(const std::string& display) : m_conn(xcb_connect(display.c_str(), nullptr)) {
    if (Connected()) m_root = xcb_setup_roots_iterator(xcb_get_setup(m_conn)).data->root;
}

XClient::~XClient() { xcb_disconnect(m_conn); }

xcb_atom_t XClient::Atom(const char* name) {
    auto* reply = xcb_intern_atom_reply(
        m_conn, xcb_intern_atom(m_conn, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : XCB_NONE;
    std::free(reply);
    return atom;
}

std::string XClient::Title(xcb_window_t w) {
    for (xcb_atom_t property : {Atom("_NET_WM_NAME"), xcb_atom_t(XCB_ATOM_WM_NAME)}) {
        auto* reply = xcb_get_property_reply(
            m_conn, xcb_get_property(m_conn, 0, w, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 256), nullptr);
        std::string title;
        if (reply && reply->format == 8)
            title.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                         static_cast<std::size_t>(xcb_get_property_value_length(reply)));
        std::free(reply);
        if (!title.empty()) return title;
    }
    return {};
}

// A window manager puts each top-level window into a frame of its own; the
// window the program made is the one in the frame that carries WM_STATE.
xcb_window_t XClient::ClientIn(xcb_window_t frame, int depth) {
    auto* state = xcb_get_property_reply(m_conn, xcb_get_property(m_conn, 0, frame, Atom("WM_STATE"), XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
                                         nullptr);
    const bool isClient = state && state->type != XCB_NONE;
    std::free(state);
    if (isClient || depth == 0) return isClient ? frame : XCB_NONE;
    xcb_window_t found = XCB_NONE;
    auto* tree = xcb_query_tree_reply(m_conn, xcb_query_tree(m_conn, frame), nullptr);
    if (!tree) return found;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i) found = ClientIn(children[i], depth - 1);
    std::free(tree);
    return found;
}

std::vector<XClient::Window> XClient::MappedWindows() {
    std::vector<Window> windows;
    auto* tree = xcb_query_tree_reply(m_conn, xcb_query_tree(m_conn, m_root), nullptr);
    if (!tree) return windows;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
        const xcb_window_t top = children[i];
        auto* attrs = xcb_get_window_attributes_reply(m_conn, xcb_get_window_attributes(m_conn, top), nullptr);
        const bool viewable = attrs && attrs->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attrs);
        if (!viewable) continue;
        const xcb_window_t client = ClientIn(top, 3);
        const xcb_window_t w = client != XCB_NONE ? client : top;
        auto* geometry = xcb_get_geometry_reply(m_conn, xcb_get_geometry(m_conn, w), nullptr);
        auto* at = xcb_translate_coordinates_reply(m_conn, xcb_translate_coordinates(m_conn, w, m_root, 0, 0), nullptr);
        if (geometry && at) windows.push_back({Title(w), {at->dst_x, at->dst_y, geometry->width, geometry->height}, w});
        std::free(geometry);
        std::free(at);
    }
    std::free(tree);
    return windows;
}

std::optional<ScreenRect> XClient::FindWindow(const std::string& title) {
    for (const Window& w : MappedWindows())
        if (w.title == title) return w.rect;
    return std::nullopt;
}

std::optional<xcb_window_t> XClient::WindowId(const std::string& title) {
    for (const Window& w : MappedWindows())
        if (w.title == title) return w.id;
    return std::nullopt;
}

std::vector<std::uint32_t> XClient::Property(xcb_window_t w, const char* name) {
    auto* reply = xcb_get_property_reply(
        m_conn, xcb_get_property(m_conn, 0, w, Atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 20), nullptr);
    std::vector<std::uint32_t> items;
    if (reply && reply->format == 32) {
        const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
        items.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return items;
}

std::string XClient::PropertyType(xcb_window_t w, const char* name) {
    auto* reply = xcb_get_property_reply(m_conn, xcb_get_property(m_conn, 0, w, Atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
                                         nullptr);
    const xcb_atom_t type = reply ? reply->type : XCB_NONE;
    std::free(reply);
    if (type == XCB_NONE) return {};
    auto* atomName = xcb_get_atom_name_reply(m_conn, xcb_get_atom_name(m_conn, type), nullptr);
    std::string text;
    if (atomName) text.assign(xcb_get_atom_name_name(atomName), static_cast<std::size_t>(xcb_get_atom_name_name_length(atomName)));
    std::free(atomName);
    return text;
}

std::vector<std::string> XClient::IconSizes(xcb_window_t w) {
    const std::vector<std::uint32_t> data = Property(w, "_NET_WM_ICON");
    std::vector<std::string> sizes;
    for (std::size_t i = 0; i + 2 <= data.size(); i += 2 + std::size_t(data[i]) * data[i + 1])
        sizes.push_back(std::to_string(data[i]) + "x" + std::to_string(data[i + 1]));
    return sizes;
}

std::optional<ScreenRect> XClient::WaitForWindow(const std::string& title, int timeoutMs) {
    // A new window is placed after it maps: wait until it stays put.
    std::optional<ScreenRect> found;
    std::optional<ScreenRect> last;
    int steady = 0;
    Within(timeoutMs, [&] {
        found = FindWindow(title);
        const bool same = found && last && found->x == last->x && found->y == last->y &&
                          found->width == last->width && found->height == last->height;
        steady = same ? steady + 1 : 0;
        last = found;
        return steady >= 5;
    });
    return steady >= 5 ? found : std::nullopt;
}

bool XClient::WaitUntilGone(const std::string& title, int timeoutMs) {
    return Within(timeoutMs, [&] { return !FindWindow(title); });
}

std::optional<ScreenRect> XClient::WaitForPopup(int minHeight, const std::vector<ScreenRect>& besides, int timeoutMs) {
    auto same = [](const ScreenRect& a, const ScreenRect& b) {
        return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
    };
    std::optional<ScreenRect> found;
    std::optional<ScreenRect> last;
    int steady = 0;
    Within(timeoutMs, [&] {
        found.reset();
        for (const Window& w : MappedWindows()) {
            const bool known = std::any_of(besides.begin(), besides.end(), [&](const ScreenRect& b) { return same(b, w.rect); });
            if (w.title.empty() && w.rect.width < 400 && w.rect.height >= minHeight && !known) found = w.rect;
        }
        steady = found && last && same(*found, *last) ? steady + 1 : 0;
        last = found;
        return steady >= 5;
    });
    return steady >= 5 ? found : std::nullopt;
}

std::vector<std::uint32_t> XClient::Grab(const ScreenRect& rc) {
    auto* reply = xcb_get_image_reply(
        m_conn,
        xcb_get_image(m_conn, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, static_cast<std::int16_t>(rc.x),
                      static_cast<std::int16_t>(rc.y), static_cast<std::uint16_t>(rc.width),
                      static_cast<std::uint16_t>(rc.height), ~0u),
        nullptr);
    std::vector<std::uint32_t> pixels;
    if (!reply) return pixels;
    const auto* data = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(reply));
    const auto count = static_cast<std::size_t>(xcb_get_image_data_length(reply)) / 4;
    for (std::size_t i = 0; i < count; ++i) pixels.push_back(data[i] & 0xFFFFFF);
    std::free(reply);
    return pixels;
}

bool XClient::SaveShot(const ScreenRect& rc, const std::string& relativePath, int colours) {
    std::vector<std::uint32_t> pixels;
    Within(5000, [&] {
        pixels = Grab(rc);
        return std::set<std::uint32_t>(pixels.begin(), pixels.end()).size() >= static_cast<std::size_t>(colours);
    });
    Sleep(200);  // the last partial repaints
    pixels = Grab(rc);
    if (pixels.size() != static_cast<std::size_t>(rc.width) * rc.height) return false;
    const std::filesystem::path path = ArtifactPath(relativePath);
    std::filesystem::create_directories(path.parent_path());
    cairo_surface_t* s = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(pixels.data()),
                                                             CAIRO_FORMAT_RGB24, rc.width, rc.height, rc.width * 4);
    const bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}

bool XClient::SaveZoomedShot(const ScreenRect& rc, const std::string& relativePath, int zoom) {
    const std::vector<std::uint32_t> pixels = Grab(rc);
    if (pixels.size() != static_cast<std::size_t>(rc.width) * rc.height || zoom < 1) return false;
    const int width = rc.width * zoom;
    const int height = rc.height * zoom;
    std::vector<std::uint32_t> zoomed(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            zoomed[static_cast<std::size_t>(y) * width + x] = pixels[static_cast<std::size_t>(y / zoom) * rc.width + x / zoom];
    const std::filesystem::path path = ArtifactPath(relativePath);
    std::filesystem::create_directories(path.parent_path());
    cairo_surface_t* s = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(zoomed.data()),
                                                             CAIRO_FORMAT_RGB24, width, height, width * 4);
    const bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}

void XClient::PaintRoot(std::uint32_t rgb) {
    xcb_change_window_attributes(m_conn, m_root, XCB_CW_BACK_PIXEL, &rgb);
    xcb_clear_area(m_conn, 0, m_root, 0, 0, 0, 0);
    xcb_flush(m_conn);
}

void XClient::Drag(int x, int y, int dx, int dy) {
    MoveTo(x, y);
    Sleep(50);
    xcb_test_fake_input(m_conn, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(m_conn);
    Sleep(50);
    constexpr int kSteps = 10;
    for (int i = 1; i <= kSteps; ++i) {
        MoveTo(x + dx * i / kSteps, y + dy * i / kSteps);
        Sleep(30);
    }
    xcb_test_fake_input(m_conn, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(m_conn);
    Sleep(50);
}

void XClient::MoveTo(int x, int y) {
    xcb_test_fake_input(m_conn, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, m_root, static_cast<std::int16_t>(x),
                        static_cast<std::int16_t>(y), 0);
    xcb_flush(m_conn);
}

void XClient::Click(int x, int y, int button) {
    MoveTo(x, y);
    Sleep(50);
    const auto detail = static_cast<std::uint8_t>(button);
    xcb_test_fake_input(m_conn, XCB_BUTTON_PRESS, detail, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(m_conn);
    Sleep(30);
    xcb_test_fake_input(m_conn, XCB_BUTTON_RELEASE, detail, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(m_conn);
    Sleep(50);
}

void XClient::ClickThenMoveTo(int x, int y, int toX, int toY) {
    MoveTo(x, y);
    Sleep(50);
    xcb_test_fake_input(m_conn, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(m_conn);
    Sleep(30);
    // The server takes both in order, so the release is where the item is.
    xcb_test_fake_input(m_conn, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    MoveTo(toX, toY);
    Sleep(50);
}

std::uint8_t XClient::Keycode(std::uint32_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(m_conn);
    auto* reply = xcb_get_keyboard_mapping_reply(
        m_conn, xcb_get_keyboard_mapping(m_conn, setup->min_keycode, setup->max_keycode - setup->min_keycode + 1),
        nullptr);
    if (!reply) return 0;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
    const int count = xcb_get_keyboard_mapping_keysyms_length(reply);
    std::uint8_t code = 0;
    for (int i = 0; i < count && !code; ++i)
        if (syms[i] == keysym) code = static_cast<std::uint8_t>(setup->min_keycode + i / reply->keysyms_per_keycode);
    std::free(reply);
    return code;
}

void XClient::Tap(const std::vector<std::uint32_t>& held, std::uint32_t key) {
    auto fake = [this](std::uint8_t type, std::uint32_t keysym) {
        xcb_test_fake_input(m_conn, type, Keycode(keysym), XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    };
    for (std::uint32_t h : held) fake(XCB_KEY_PRESS, h);
    fake(XCB_KEY_PRESS, key);
    fake(XCB_KEY_RELEASE, key);
    for (auto h = held.rbegin(); h != held.rend(); ++h) fake(XCB_KEY_RELEASE, *h);
    // A round trip: the server has handled the requests before it answers.
    std::free(xcb_get_input_focus_reply(m_conn, xcb_get_input_focus(m_conn), nullptr));
}

bool XClient::Focus(const std::string& title) {
    const std::optional<xcb_window_t> w = WindowId(title);
    if (!w) return false;
    xcb_set_input_focus(m_conn, XCB_INPUT_FOCUS_POINTER_ROOT, *w, XCB_CURRENT_TIME);
    std::free(xcb_get_input_focus_reply(m_conn, xcb_get_input_focus(m_conn), nullptr));
    return true;
}

void XClient::FocusDesktop() {
    xcb_set_input_focus(m_conn, XCB_INPUT_FOCUS_POINTER_ROOT, XCB_INPUT_FOCUS_POINTER_ROOT, XCB_CURRENT_TIME);
    std::free(xcb_get_input_focus_reply(m_conn, xcb_get_input_focus(m_conn), nullptr));
}

}  // namespace qv::test
