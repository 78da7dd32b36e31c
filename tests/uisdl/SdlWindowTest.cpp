// Real windows under a private Xvfb: what the SDL backend shows, the input it
// delivers and how often it wakes the loop.
#include <cairo.h>
#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "XvfbServer.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/headless/HeadlessDisplay.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SHostWnd.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/sdl/SdlDisplay.h"
#include "platform/ui/sdl/SdlWindow.h"
#include "platform/ui/sdl/WindowShape.h"

// Last: Xlib's macros (None, Status...) must not meet our headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

// libdbus (SDL's link to the session bus) keeps a buffer for the process's
// life on purpose.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

namespace qv::ui::sdl {
namespace {

constexpr const char16_t* kLayout =
    u"<SOUI size=\"160,120\" title=\"sdl\"><root colorBkgnd=\"#2A2C33\">"
    u"<window name=\"box\" pos=\"40,30,@60,@40\" colorBkgnd=\"#3DA9FC\"/>"
    u"</root></SOUI>";
constexpr std::uint32_t kPanel = 0x2A2C33;
constexpr std::uint32_t kAccent = 0x3DA9FC;

// Runs the calling thread's loop for a while.
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

// Runs the calling thread's loop, then on until done() holds, for at most
// timeoutMs: what the X server sends comes late on a loaded machine, and
// what it already sent is taken before done() is first asked.
bool RunUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        RunFor(20);
        if (done()) return true;
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

bool Near(std::uint32_t a, std::uint32_t b) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int ca = static_cast<int>((a >> shift) & 0xFF);
        const int cb = static_cast<int>((b >> shift) & 0xFF);
        if (std::abs(ca - cb) > 8) return false;
    }
    return true;
}

// The test's own X connection: screenshots, injected input, window state.
class XClient {
public:
    explicit XClient(const std::string& display) : m_conn(xcb_connect(display.c_str(), nullptr)) {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_conn)).data->root;
    }
    ~XClient() { xcb_disconnect(m_conn); }

    // 0x00RRGGBB pixels of a screen rectangle (24-bit depth).
    std::vector<std::uint32_t> Grab(const CRect& rc) {
        auto* reply = xcb_get_image_reply(
            m_conn,
            xcb_get_image(m_conn, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, static_cast<int16_t>(rc.left),
                          static_cast<int16_t>(rc.top), static_cast<uint16_t>(rc.Width()),
                          static_cast<uint16_t>(rc.Height()), ~0u),
            nullptr);
        std::vector<std::uint32_t> pixels;
        if (!reply) return pixels;
        const auto* data = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(reply));
        const auto count = static_cast<size_t>(xcb_get_image_data_length(reply)) / 4;
        for (size_t i = 0; i < count; ++i) pixels.push_back(data[i] & 0xFFFFFF);
        free(reply);
        return pixels;
    }

    void MoveTo(int x, int y) {
        xcb_test_fake_input(m_conn, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, m_root, static_cast<int16_t>(x),
                            static_cast<int16_t>(y), 0);
        xcb_flush(m_conn);
    }

    // Button 4 is the wheel turned away from the user.
    void Click(uint8_t button = 1) {
        Button(button, true);
        Button(button, false);
    }

    void Button(uint8_t button, bool down) {
        xcb_test_fake_input(m_conn, down ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, button, XCB_CURRENT_TIME, XCB_NONE, 0,
                            0, 0);
        xcb_flush(m_conn);
    }

    void Type(xcb_keysym_t keysym, xcb_window_t focus) {
        xcb_set_input_focus(m_conn, XCB_INPUT_FOCUS_POINTER_ROOT, focus, XCB_CURRENT_TIME);
        const xcb_keycode_t code = KeyCode(keysym);
        xcb_test_fake_input(m_conn, XCB_KEY_PRESS, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_test_fake_input(m_conn, XCB_KEY_RELEASE, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_flush(m_conn);
    }

    bool IsMapped(xcb_window_t w) {
        auto* reply = xcb_get_window_attributes_reply(m_conn, xcb_get_window_attributes(m_conn, w), nullptr);
        const bool mapped = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
        free(reply);
        return mapped;
    }

    xcb_atom_t Atom(const char* name) {
        auto* reply = xcb_intern_atom_reply(m_conn, xcb_intern_atom(m_conn, 0, static_cast<uint16_t>(strlen(name)), name),
                                            nullptr);
        const xcb_atom_t atom = reply ? reply->atom : XCB_NONE;
        free(reply);
        return atom;
    }

    // The 32-bit items of a window's property.
    std::vector<std::uint32_t> Property(xcb_window_t w, const char* name) {
        auto* reply = xcb_get_property_reply(
            m_conn, xcb_get_property(m_conn, 0, w, Atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 64), nullptr);
        std::vector<std::uint32_t> items;
        if (reply && reply->format == 32) {
            const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
            items.assign(data, data + xcb_get_property_value_length(reply) / 4);
        }
        free(reply);
        return items;
    }

    bool Has(xcb_window_t w, const char* property, const char* atom) {
        const std::vector<std::uint32_t> items = Property(w, property);
        return std::find(items.begin(), items.end(), Atom(atom)) != items.end();
    }

    // Gives a window the keyboard focus (XCB_NONE: none), done when it returns.
    void Focus(xcb_window_t w) {
        xcb_set_input_focus(m_conn, XCB_INPUT_FOCUS_POINTER_ROOT, w, XCB_CURRENT_TIME);
        free(xcb_get_input_focus_reply(m_conn, xcb_get_input_focus(m_conn), nullptr));
    }

    // A window of this client, as another program's would be, mapped at rc.
    xcb_window_t MapWindow(const CRect& rc) {
        const xcb_window_t w = xcb_generate_id(m_conn);
        xcb_create_window(m_conn, XCB_COPY_FROM_PARENT, w, m_root, static_cast<int16_t>(rc.left),
                          static_cast<int16_t>(rc.top), static_cast<uint16_t>(rc.Width()),
                          static_cast<uint16_t>(rc.Height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0,
                          nullptr);
        xcb_map_window(m_conn, w);
        xcb_flush(m_conn);
        return w;
    }

    unsigned Depth(xcb_window_t w) {
        auto* reply = xcb_get_geometry_reply(m_conn, xcb_get_geometry(m_conn, w), nullptr);
        const unsigned depth = reply ? reply->depth : 0;
        free(reply);
        return depth;
    }

    // The sizes of a window's _NET_WM_ICON, as "WxH".
    std::vector<std::string> IconSizes(xcb_window_t w) {
        auto* reply = xcb_get_property_reply(
            m_conn, xcb_get_property(m_conn, 0, w, Atom("_NET_WM_ICON"), XCB_ATOM_CARDINAL, 0, 1 << 20), nullptr);
        std::vector<std::string> sizes;
        if (reply && reply->format == 32) {
            const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
            const std::size_t count = static_cast<std::size_t>(xcb_get_property_value_length(reply)) / 4;
            for (std::size_t i = 0; i + 2 <= count; i += 2 + std::size_t(data[i]) * data[i + 1])
                sizes.push_back(std::to_string(data[i]) + "x" + std::to_string(data[i + 1]));
        }
        free(reply);
        return sizes;
    }

    // The desktop behind the windows in one colour.
    void PaintRoot(std::uint32_t rgb) {
        xcb_change_window_attributes(m_conn, m_root, XCB_CW_BACK_PIXEL, &rgb);
        xcb_clear_area(m_conn, 0, m_root, 0, 0, 0, 0);
        xcb_flush(m_conn);
    }

    // Plays a compositing manager's part: owns the selection that says one runs.
    void ClaimCompositorSelection() {
        const xcb_window_t w = xcb_generate_id(m_conn);
        xcb_create_window(m_conn, XCB_COPY_FROM_PARENT, w, m_root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                          XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_set_selection_owner(m_conn, w, Atom("_NET_WM_CM_S0"), XCB_CURRENT_TIME);
        xcb_flush(m_conn);
        free(xcb_get_input_focus_reply(m_conn, xcb_get_input_focus(m_conn), nullptr));  // a round trip: it is done
    }

    CPoint Origin(xcb_window_t w) {
        auto* reply = xcb_translate_coordinates_reply(m_conn, xcb_translate_coordinates(m_conn, w, m_root, 0, 0), nullptr);
        CPoint pt = reply ? CPoint(reply->dst_x, reply->dst_y) : CPoint(-1, -1);
        free(reply);
        return pt;
    }

private:
    xcb_keycode_t KeyCode(xcb_keysym_t keysym) {
        const xcb_setup_t* setup = xcb_get_setup(m_conn);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        auto* reply = xcb_get_keyboard_mapping_reply(
            m_conn, xcb_get_keyboard_mapping(m_conn, setup->min_keycode, static_cast<uint8_t>(count)), nullptr);
        xcb_keycode_t found = 0;
        if (reply) {
            const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
            for (int i = 0; i < count * reply->keysyms_per_keycode && !found; ++i)
                if (syms[i] == keysym) found = static_cast<xcb_keycode_t>(setup->min_keycode + i / reply->keysyms_per_keycode);
            free(reply);
        }
        return found;
    }

    xcb_connection_t* m_conn;
    xcb_window_t m_root = 0;
};

bool SavePng(const std::vector<std::uint32_t>& pixels, int width, int height, const char* name) {
    std::filesystem::create_directories(QV_ARTIFACTS_DIR);
    std::vector<std::uint32_t> copy = pixels;
    cairo_surface_t* s = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(copy.data()),
                                                             CAIRO_FORMAT_RGB24, width, height, width * 4);
    const std::string path = std::string(QV_ARTIFACTS_DIR) + "/" + name;
    const bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}

// A host that notes the input it is given and passes it on.
class InputHost : public SHostWnd {
public:
    struct Seen {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

    BEGIN_MSG_MAP_EX(InputHost)
        if (uMsg == WM_LBUTTONDOWN || uMsg == WM_LBUTTONUP || uMsg == WM_LBUTTONDBLCLK || uMsg == WM_MOUSEWHEEL ||
            uMsg == WM_MOUSEMOVE || uMsg == WM_MOUSELEAVE || uMsg == WM_KEYDOWN || uMsg == WM_CHAR || uMsg == WM_TIMER ||
            uMsg == WM_ACTIVATE || uMsg == WM_KILLFOCUS)
            seen.push_back({uMsg, wParam, lParam});
        CHAIN_MSG_MAP(SHostWnd)
    END_MSG_MAP()

    int Count(UINT message) const {
        int n = 0;
        for (const Seen& s : seen) n += s.message == message;
        return n;
    }
    const Seen* Find(UINT message) const {
        for (const Seen& s : seen)
            if (s.message == message) return &s;
        return nullptr;
    }
    const Seen* FindLast(UINT message) const {
        for (auto it = seen.rbegin(); it != seen.rend(); ++it)
            if (it->message == message) return &*it;
        return nullptr;
    }

    std::vector<Seen> seen;
};

xcb_window_t XWindowOf(SHostWnd& host) {
    auto* native = dynamic_cast<SdlWindow*>(host.GetNativeWindow());
    return native ? static_cast<xcb_window_t>(native->GetX11Window()) : XCB_NONE;
}

class SdlWindowTest : public ::testing::Test {
protected:
    // Options of the test's X server.
    virtual std::vector<std::string> ServerOptions() const { return {}; }
    void SetUp() override {
        if (!m_xvfb.Start("640x480", ServerOptions())) GTEST_SKIP() << "Xvfb is not available";
        setenv("DISPLAY", m_xvfb.Display().c_str(), 1);
        m_x = std::make_unique<XClient>(m_xvfb.Display());
        m_app = std::make_unique<SApplication>(nullptr);
        SetDisplayBackend(&m_display);
    }
    void TearDown() override {
        SetDisplayBackend(nullptr);
        RunFor(0);
        m_app.reset();
        qv::os::DestroyThreadQueue();
        SRenderTarget::ReleaseThreadFontCache();
    }

    // Opens the demo host at rc on the calling thread and lets it paint.
    void Open(InputHost& host, const CRect& rc) {
        ASSERT_NE(host.CreateFromXml(kLayout), nullptr);
        host.SetWindowPos(rc);
        host.ShowWindow(SW_SHOW);
        ASSERT_TRUE(RunUntil([&] {
            const xcb_window_t xwin = XWindowOf(host);
            return m_x->IsMapped(xwin) && Near(m_x->Grab(rc)[5 * static_cast<std::size_t>(rc.Width()) + 5], kPanel);
        })) << "the window did not show";
        RunFor(100);
    }

    // The focus goes to another program's window (a window manager would
    // give it back to ours if it went to none).
    void FocusAnotherProgram() {
        const xcb_window_t w = m_x->MapWindow(CRect(480, 360, 600, 440));
        ASSERT_TRUE(RunUntil([&] { return m_x->IsMapped(w); })) << "the other program's window did not show";
        m_x->Focus(w);
    }

    qv::test::XvfbServer m_xvfb;
    std::unique_ptr<XClient> m_x;
    std::unique_ptr<SApplication> m_app;
    SdlDisplay m_display;
};

TEST_F(SdlWindowTest, ShowsTheFramesPixelsAndTakesInput) {
    const CRect rc(50, 40, 210, 160);
    InputHost host;
    Open(host, rc);
    auto* native = dynamic_cast<SdlWindow*>(host.GetNativeWindow());
    ASSERT_NE(native, nullptr);
    const auto xwin = static_cast<xcb_window_t>(native->GetX11Window());
    EXPECT_TRUE(m_x->IsMapped(xwin));
    EXPECT_EQ(m_x->Origin(xwin), CPoint(50, 40));
    EXPECT_EQ(m_display.GetScreenSize(), CSize(640, 480));
    EXPECT_EQ(m_display.GetWorkArea(), CRect(0, 0, 640, 480));

    std::vector<std::uint32_t> shot = m_x->Grab(rc);
    EXPECT_TRUE(SavePng(shot, 160, 120, "demo.png"));
    EXPECT_TRUE(Near(shot[5 * 160 + 5], kPanel)) << std::hex << shot[5 * 160 + 5];
    EXPECT_TRUE(Near(shot[50 * 160 + 70], kAccent)) << std::hex << shot[50 * 160 + 70];

    // A click on the box reaches the host in client coordinates and the box fires.
    int commands = 0;
    host.FindChildByName(u"box")->SubscribeEvent(EVT_CMD, [&](EventArgs*) {
        ++commands;
        return true;
    });
    // The pointer arrives first, as a person's would: SDL drops presses it
    // cannot place in a window.
    m_x->MoveTo(rc.left + 70, rc.top + 50);
    RunFor(150);
    m_x->Click();
    RunUntil([&] { return commands == 1; });
    const InputHost::Seen* down = host.Find(WM_LBUTTONDOWN);
    ASSERT_NE(down, nullptr);
    EXPECT_EQ(down->lParam, MAKELPARAM(70, 50));
    EXPECT_EQ(host.Count(WM_LBUTTONUP), 1);
    EXPECT_EQ(commands, 1);
    EXPECT_EQ(m_display.GetCursorPos(), CPoint(rc.left + 70, rc.top + 50));

    m_x->Type('a', xwin);
    RunUntil([&] { return host.Find(WM_CHAR) != nullptr; });
    const InputHost::Seen* key = host.Find(WM_KEYDOWN);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->wParam, WPARAM('A'));
    const InputHost::Seen* ch = host.Find(WM_CHAR);
    ASSERT_NE(ch, nullptr);
    EXPECT_EQ(ch->wParam, WPARAM('a'));

    // A quick second click is a double click; the wheel comes in WHEEL_DELTA steps.
    RunFor(300);
    m_x->Click();
    m_x->Click();
    m_x->Click(4);
    RunUntil([&] { return host.Find(WM_MOUSEWHEEL) != nullptr; });
    EXPECT_EQ(host.Count(WM_LBUTTONDBLCLK), 1);
    const InputHost::Seen* wheel = host.Find(WM_MOUSEWHEEL);
    ASSERT_NE(wheel, nullptr);
    EXPECT_EQ(static_cast<short>(HIWORD(wheel->wParam)), WHEEL_DELTA);
    EXPECT_EQ(wheel->lParam, MAKELPARAM(70, 50));

    // A drag that leaves the window stays with it until the release; the
    // pointer's leaving is told after that.
    host.seen.clear();
    m_x->Button(1, true);
    RunFor(100);
    m_x->MoveTo(rc.right + 30, rc.top + 50);
    RunFor(100);
    m_x->Button(1, false);
    RunUntil([&] { return !host.seen.empty() && host.seen.back().message == WM_MOUSELEAVE; });
    const InputHost::Seen* outside = host.FindLast(WM_MOUSEMOVE);
    ASSERT_NE(outside, nullptr);
    EXPECT_EQ(outside->lParam, MAKELPARAM(160 + 30, 50));
    EXPECT_EQ(outside->wParam & MK_LBUTTON, WPARAM(MK_LBUTTON));
    ASSERT_GE(host.seen.size(), 2u);
    EXPECT_EQ(host.seen[host.seen.size() - 2].message, WM_LBUTTONUP);
    EXPECT_EQ(host.seen.back().message, WM_MOUSELEAVE);

    // Hidden, shown again elsewhere, minimised and restored.
    host.ShowWindow(SW_HIDE);
    RunUntil([&] { return !m_x->IsMapped(xwin); });
    EXPECT_FALSE(m_x->IsMapped(xwin));
    EXPECT_FALSE(host.IsWindowVisible());
    const CRect moved(300, 200, 460, 320);
    host.SetWindowPos(moved);
    host.ShowWindow(SW_SHOWNOACTIVATE);
    RunUntil([&] { return m_x->IsMapped(xwin) && Near(m_x->Grab(moved)[5 * 160 + 5], kPanel); });
    EXPECT_TRUE(m_x->IsMapped(xwin));
    EXPECT_EQ(m_x->Origin(xwin), CPoint(300, 200));
    EXPECT_TRUE(Near(m_x->Grab(moved)[5 * 160 + 5], kPanel));
    host.ShowWindow(SW_MINIMIZE);
    EXPECT_TRUE(host.IsIconic());
    host.ShowWindow(SW_RESTORE);
    EXPECT_FALSE(host.IsIconic());
    native->SetTopMost(true);
    RunFor(100);

    host.DestroyWindow();
    EXPECT_FALSE(m_display.IsOpen());
}

TEST_F(SdlWindowTest, HostStylesReachTheXWindow) {
    InputHost tip;
    ASSERT_NE(tip.CreateFromXml(kLayout), nullptr);
    tip.ModifyHostStyle(HostStyle_Popup | HostStyle_TopMost | HostStyle_ToolWindow | HostStyle_NoActivate, 0);
    tip.SetWindowPos(CRect(20, 20, 180, 140));
    tip.ShowWindow(SW_SHOWNOACTIVATE);
    RunFor(200);
    const xcb_window_t xwin = XWindowOf(tip);
    EXPECT_TRUE(m_x->IsMapped(xwin));
    EXPECT_TRUE(m_x->Has(xwin, "_NET_WM_STATE", "_NET_WM_STATE_ABOVE"));
    EXPECT_TRUE(m_x->Has(xwin, "_NET_WM_STATE", "_NET_WM_STATE_SKIP_TASKBAR"));
    EXPECT_TRUE(m_x->Has(xwin, "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_UTILITY"));
    EXPECT_FALSE(m_x->Has(xwin, "WM_PROTOCOLS", "WM_TAKE_FOCUS"));
    // WM_HINTS: flags, then input (InputHint is bit 0).
    const std::vector<std::uint32_t> hints = m_x->Property(xwin, "WM_HINTS");
    ASSERT_GE(hints.size(), 2u);
    EXPECT_TRUE(hints[0] & 1u);
    EXPECT_EQ(hints[1], 0u);

    // Dropped before the next show, the styles go from the window too.
    tip.ShowWindow(SW_HIDE);
    tip.ModifyHostStyle(0, HostStyle_TopMost | HostStyle_ToolWindow | HostStyle_NoActivate);
    RunFor(100);
    EXPECT_FALSE(m_x->Has(xwin, "_NET_WM_STATE", "_NET_WM_STATE_ABOVE"));
    EXPECT_FALSE(m_x->Has(xwin, "_NET_WM_STATE", "_NET_WM_STATE_SKIP_TASKBAR"));
    EXPECT_TRUE(m_x->Has(xwin, "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_NORMAL"));
    EXPECT_TRUE(m_x->Has(xwin, "WM_PROTOCOLS", "WM_TAKE_FOCUS"));
    tip.DestroyWindow();
}

TEST_F(SdlWindowTest, HiddenStyleWindowIsNeverMapped) {
    InputHost host;
    ASSERT_NE(host.CreateFromXml(kLayout), nullptr);
    host.ModifyHostStyle(HostStyle_Hidden, 0);
    host.ShowWindow(SW_SHOW);
    host.GetNativeWindow()->Show(SW_SHOWNOACTIVATE);
    RunFor(100);
    EXPECT_FALSE(m_x->IsMapped(XWindowOf(host)));
    EXPECT_FALSE(host.IsWindowVisible());
    host.DestroyWindow();
}

TEST_F(SdlWindowTest, FocusLeavingTheApplicationDeactivatesPopups) {
    InputHost main;
    InputHost popup;
    Open(main, CRect(0, 0, 160, 120));
    ASSERT_NE(popup.CreateFromXml(kLayout), nullptr);
    popup.SetWindowPos(CRect(200, 0, 360, 120));
    popup.ShowWindow(SW_SHOWNOACTIVATE);
    // Given back to main at once: without a window manager the popup had it
    // as it was shown, and is told it is inactive again.
    m_x->Focus(XWindowOf(main));
    auto last = [](const InputHost& host) {
        const InputHost::Seen* activate = host.FindLast(WM_ACTIVATE);
        return activate ? static_cast<int>(LOWORD(activate->wParam)) : -1;
    };
    ASSERT_TRUE(RunUntil([&] { return last(main) == WA_ACTIVE && last(popup) != WA_ACTIVE; }))
        << "the focus given to main went back to the popup";
    RunFor(100);
    ASSERT_EQ(last(main), WA_ACTIVE);
    main.seen.clear();
    popup.seen.clear();

    // Focus moving between our own windows leaves the popup open.
    InputHost other;
    Open(other, CRect(0, 200, 160, 320));
    m_x->Focus(XWindowOf(other));
    RunUntil([&] { return main.Find(WM_KILLFOCUS) != nullptr; });
    RunFor(100);
    EXPECT_NE(main.Find(WM_KILLFOCUS), nullptr);
    EXPECT_EQ(popup.Find(WM_ACTIVATE), nullptr);
    main.seen.clear();

    FocusAnotherProgram();
    RunUntil([&] { return other.Find(WM_KILLFOCUS) && popup.Find(WM_ACTIVATE); });
    EXPECT_NE(other.Find(WM_KILLFOCUS), nullptr);
    const InputHost::Seen* inactive = popup.Find(WM_ACTIVATE);
    ASSERT_NE(inactive, nullptr);
    EXPECT_EQ(LOWORD(inactive->wParam), WA_INACTIVE);
    const InputHost::Seen* otherInactive = other.FindLast(WM_ACTIVATE);  // after its activation when shown
    ASSERT_NE(otherInactive, nullptr);
    EXPECT_EQ(LOWORD(otherInactive->wParam), WA_INACTIVE);
    other.DestroyWindow();
    popup.DestroyWindow();
    main.DestroyWindow();
}

TEST_F(SdlWindowTest, WindowsNeverActivatedAreNotToldOfTheFocusPassingBetweenThem) {
    // Without a window manager each window shown takes the focus: a menu,
    // then its sub-menu. Neither may take that for a click elsewhere.
    InputHost main;
    Open(main, CRect(0, 0, 160, 120));
    m_x->Focus(XWindowOf(main));
    RunFor(200);
    InputHost menu;
    InputHost sub;
    for (auto [host, rc] : {std::pair{&menu, CRect(200, 0, 300, 120)}, std::pair{&sub, CRect(300, 0, 400, 120)}}) {
        host->ModifyHostStyle(HostStyle_Popup | HostStyle_TopMost | HostStyle_ToolWindow | HostStyle_NoActivate, 0);
        ASSERT_NE(host->CreateFromXml(kLayout), nullptr);
        host->SetWindowPos(rc);
        host->ShowWindow(SW_SHOWNOACTIVATE);
        RunFor(300);
    }
    EXPECT_EQ(menu.Find(WM_ACTIVATE), nullptr);
    EXPECT_EQ(sub.Find(WM_ACTIVATE), nullptr);

    // The application losing the focus still reaches both.
    FocusAnotherProgram();
    RunUntil([&] { return menu.Find(WM_ACTIVATE) && sub.Find(WM_ACTIVATE); });
    for (const InputHost* host : {&menu, &sub}) {
        const InputHost::Seen* inactive = host->FindLast(WM_ACTIVATE);
        ASSERT_NE(inactive, nullptr);
        EXPECT_EQ(LOWORD(inactive->wParam), WA_INACTIVE);
    }
    sub.DestroyWindow();
    menu.DestroyWindow();
    main.DestroyWindow();
}

// The click that gives a window the focus (a window manager's click to
// focus, the program's window behind another one's) reaches it as any
// other: a pad clicked while the broadcast software has the focus plays.
TEST_F(SdlWindowTest, TheClickThatGivesTheFocusIsNotLost) {
    const CRect rc(50, 40, 210, 160);
    InputHost host;
    Open(host, rc);
    int commands = 0;
    host.FindChildByName(u"box")->SubscribeEvent(EVT_CMD, [&](EventArgs*) {
        ++commands;
        return true;
    });
    m_x->MoveTo(rc.left + 70, rc.top + 50);
    m_x->Focus(XCB_NONE);
    RunFor(200);
    // The focus and the click arrive together, as they do when a window
    // manager hands the focus over on the press.
    m_x->Focus(XWindowOf(host));
    m_x->Click();
    RunUntil([&] { return commands == 1; });
    RunFor(100);
    EXPECT_EQ(host.Count(WM_LBUTTONDOWN), 1);
    EXPECT_EQ(commands, 1);
    host.DestroyWindow();
}

TEST(SdlDisplayTest, WithoutADisplayWindowsAreHeadless) {
    const char* saved = std::getenv("DISPLAY");
    const std::string display = saved ? saved : "";
    unsetenv("DISPLAY");
    {
        SdlDisplay sdl;
        std::unique_ptr<INativeWindow> window = sdl.CreateNativeWindow();
        EXPECT_NE(dynamic_cast<HeadlessWindow*>(window.get()), nullptr);
        EXPECT_FALSE(sdl.IsOpen());
        EXPECT_EQ(sdl.GetScreenSize(), CSize());
    }
    if (saved) setenv("DISPLAY", display.c_str(), 1);
}

TEST_F(SdlWindowTest, IdleWindowWakesTheLoopOnlyForTimers) {
    InputHost host;
    Open(host, CRect(10, 10, 170, 130));
    ASSERT_NE(host.SetTimer(7, 500), 0u);
    RunFor(200);
    host.seen.clear();
    const std::uint64_t xWakes = m_display.GetWakeCount();

    int loopWakes = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        if (qv::os::WaitMessage(static_cast<DWORD>(left.count()))) ++loopWakes;
        while (qv::os::PumpOneMessage()) {
        }
    }
    const int timers = host.Count(WM_TIMER);
    EXPECT_GE(timers, 3);
    EXPECT_LE(timers, 4);
    EXPECT_LE(loopWakes, timers);
    EXPECT_EQ(m_display.GetWakeCount() - xWakes, 0u);
    host.DestroyWindow();
}

TEST_F(SdlWindowTest, VideoClosesWithTheLastWindowAndReopensOnTheNextThread) {
    for (int run = 0; run < 2; ++run) {
        std::uint32_t pixel = 0;
        bool closed = false;
        // Each run is a plug-in's thread: its own loop, windows and SDL video.
        std::thread plugin([&] {
            {
                InputHost first;
                InputHost second;
                Open(first, CRect(0, 0, 160, 120));
                Open(second, CRect(200, 0, 360, 120));
                first.DestroyWindow();
                EXPECT_TRUE(m_display.IsOpen());
                pixel = m_x->Grab(CRect(200, 0, 360, 120))[5 * 160 + 5];
                second.DestroyWindow();
                closed = !m_display.IsOpen();
            }
            RunFor(0);
            qv::os::DestroyThreadQueue();
            SRenderTarget::ReleaseThreadFontCache();
        });
        plugin.join();
        EXPECT_TRUE(Near(pixel, kPanel)) << "run " << run << std::hex << " pixel " << pixel;
        EXPECT_TRUE(closed) << "run " << run;
    }
}

// The rectangles of a window's bounding shape (one covering the window when
// it is not shaped).
std::vector<ShapeRect> BoundingShape(const std::string& display, unsigned long window) {
    std::vector<ShapeRect> shape;
    Display* x = XOpenDisplay(display.c_str());
    if (!x) return shape;
    int count = 0;
    int ordering = 0;
    if (XRectangle* rects = XShapeGetRectangles(x, window, ShapeBounding, &count, &ordering)) {
        for (int i = 0; i < count; ++i) shape.push_back({rects[i].x, rects[i].y, rects[i].width, rects[i].height});
        XFree(rects);
    }
    XCloseDisplay(x);
    return shape;
}

BitmapPtr Square(int size) {
    SRenderTarget rt(size, size);
    rt.FillSolidRect(CRect(0, 0, size, size), RGBA(0x3D, 0xA9, 0xFC, 0xFF));
    return rt.GetBitmap();
}

// On an X server with the compositing extension (which brings visuals with
// alpha) and without it.
class SdlDesktopTest : public SdlWindowTest, public ::testing::WithParamInterface<bool> {
protected:
    std::vector<std::string> ServerOptions() const override {
        return GetParam() ? std::vector<std::string>{} : std::vector<std::string>{"-extension", "Composite"};
    }
};

// A frame whose 8 px corners stay transparent, as the skin's rounded ones.
constexpr const char16_t* kCornersLayout =
    u"<SOUI size=\"120,80\" title=\"corners\"><root>"
    u"<window pos=\"0,8,-0,-8\" colorBkgnd=\"#3DA9FC\"/><window pos=\"8,0,-8,-0\" colorBkgnd=\"#3DA9FC\"/>"
    u"</root></SOUI>";
constexpr std::uint32_t kDesktop = 0xE5484D;

TEST_P(SdlDesktopTest, TransparentCornersShowTheDesktopAndEveryWindowCarriesTheIcon) {
    const bool composite = GetParam();
    m_x->PaintRoot(kDesktop);
    m_app->SetWindowIcon({Square(16), Square(32), Square(128)});
    InputHost owner;
    Open(owner, CRect(300, 300, 460, 420));
    InputHost popup;
    ASSERT_NE(popup.CreateFromXml(kCornersLayout, owner.GetHwnd()), nullptr);
    popup.SetWindowPos(CRect(40, 40, 160, 120));
    popup.ShowWindow(SW_SHOWNOACTIVATE);
    RunFor(300);

    // A visual with alpha where the server offers one; shaped either way, as
    // no compositing manager runs.
    const xcb_window_t xpopup = XWindowOf(popup);
    EXPECT_EQ(m_x->Depth(xpopup), composite ? 32u : 24u);
    const std::vector<std::uint32_t> shot = m_x->Grab(CRect(40, 40, 160, 120));
    ASSERT_EQ(shot.size(), 120u * 80u);
    auto at = [&](int x, int y) { return shot[static_cast<std::size_t>(y * 120 + x)]; };
    for (const CPoint corner : {CPoint(2, 2), CPoint(117, 2), CPoint(2, 77), CPoint(117, 77)})
        EXPECT_EQ(at(corner.x, corner.y), kDesktop) << corner.x << "," << corner.y << std::hex << " " << at(corner.x, corner.y);
    EXPECT_EQ(at(60, 2), kAccent);
    EXPECT_EQ(at(2, 40), kAccent);
    EXPECT_EQ(BoundingShape(m_xvfb.Display(), xpopup),
              (std::vector<ShapeRect>{{8, 0, 104, 8}, {0, 8, 120, 64}, {8, 72, 104, 8}}));

    // The icon in every size on both; only the owned window is transient,
    // for its owner.
    for (InputHost* host : {&owner, &popup}) EXPECT_EQ(m_x->IconSizes(XWindowOf(*host)), (std::vector<std::string>{"16x16", "32x32", "128x128"}));
    EXPECT_TRUE(m_x->Property(XWindowOf(owner), "WM_TRANSIENT_FOR").empty());
    EXPECT_EQ(m_x->Property(xpopup, "WM_TRANSIENT_FOR"), std::vector<std::uint32_t>{XWindowOf(owner)});

    // With a compositing manager the visual's alpha shows the corners: the
    // window keeps its whole rectangle.
    if (composite) {
        m_x->ClaimCompositorSelection();
        InputHost composited;
        ASSERT_NE(composited.CreateFromXml(kCornersLayout), nullptr);
        composited.SetWindowPos(CRect(200, 40, 320, 120));
        composited.ShowWindow(SW_SHOWNOACTIVATE);
        RunFor(300);
        EXPECT_EQ(BoundingShape(m_xvfb.Display(), XWindowOf(composited)), (std::vector<ShapeRect>{{0, 0, 120, 80}}));
        composited.DestroyWindow();
    }
    popup.DestroyWindow();
    owner.DestroyWindow();
}

INSTANTIATE_TEST_SUITE_P(Servers, SdlDesktopTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "WithCompositeExtension" : "WithoutCompositeExtension"; });

}  // namespace
}  // namespace qv::ui::sdl
