#pragma once
// The test's own connection to a private X server: the program's top-level
// windows by title and their properties, screenshots and injected pointer
// input.
#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qv::test {

struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int Right() const { return x + width; }
    int Bottom() const { return y + height; }
};

// Whether a sub-menu opened beside its item: its left edge at the item's
// right one (or, with no room there, its right edge at the item's left one),
// within `slack` pixels, and level with the item's row.
bool OpensBeside(const ScreenRect& popup, const ScreenRect& item, int slack);

class XClient {
public:
    explicit XClient(const std::string& display);
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    bool Connected() const { return m_conn && !xcb_connection_has_error(m_conn); }

    struct Window {
        std::string title;
        ScreenRect rect;
        xcb_window_t id = 0;  // the program's own window, inside a manager's frame
    };
    // The mapped top-level windows, bottom first, as the program made them
    // (a window manager's frame left out).
    std::vector<Window> MappedWindows();
    std::optional<ScreenRect> FindWindow(const std::string& title);
    // The X id of the mapped top-level window with that title.
    std::optional<xcb_window_t> WindowId(const std::string& title);
    // The 32-bit items of a window's property (empty when it has none).
    std::vector<std::uint32_t> Property(xcb_window_t w, const char* name);
    // The name of the type a window's property has (empty when it has none).
    std::string PropertyType(xcb_window_t w, const char* name);
    // The sizes of a window's _NET_WM_ICON, as "WxH".
    std::vector<std::string> IconSizes(xcb_window_t w);
    // Waits up to timeoutMs for the window to be mapped (or, with mapped
    // false, to be gone).
    std::optional<ScreenRect> WaitForWindow(const std::string& title, int timeoutMs = 15000);
    bool WaitUntilGone(const std::string& title, int timeoutMs = 15000);
    // The pop-up (menu) that opened last: the topmost untitled window
    // narrower than 400 px and at least minHeight high that is none of
    // `besides`, once it stays put.
    std::optional<ScreenRect> WaitForPopup(int minHeight, const std::vector<ScreenRect>& besides = {},
                                           int timeoutMs = 5000);

    // 0x00RRGGBB pixels of a screen rectangle.
    std::vector<std::uint32_t> Grab(const ScreenRect& rc);
    // Waits until the rectangle shows at least `colours` distinct colours
    // (the window has drawn), then saves it under the artifacts folder (in
    // a folder named after the window manager when one runs).
    bool SaveShot(const ScreenRect& rc, const std::string& relativePath, int colours = 16);
    // The rectangle enlarged `zoom` times, pixel by pixel (corners, edges).
    bool SaveZoomedShot(const ScreenRect& rc, const std::string& relativePath, int zoom);
    // The desktop behind the windows in one colour (0xRRGGBB).
    void PaintRoot(std::uint32_t rgb);

    // button: 1 left, 3 right.
    void Click(int x, int y, int button = 1);
    // A left click, then the pointer moved on before the program sees the
    // release: a window it opens is not left with the pointer outside.
    void ClickThenMoveTo(int x, int y, int toX, int toY);
    void MoveTo(int x, int y);
    // Presses the left button at (x, y), moves by (dx, dy) in steps as a
    // hand would, and releases.
    void Drag(int x, int y, int dx, int dy);
    // Types the key (an X keysym) with the keys held down around it, through
    // XTest, as the keyboard would; the server has taken all of it on return.
    void Tap(const std::vector<std::uint32_t>& held, std::uint32_t key);
    // Gives the keyboard focus to the mapped top-level window with that
    // title, as a window manager does when it is clicked or opens; false
    // when there is none.
    bool Focus(const std::string& title);
    // The keyboard focus to whatever window is under the pointer.
    void FocusDesktop();

private:
    std::string Title(xcb_window_t w);
    // The program's window in a top-level window of the screen, searching
    // `depth` levels down; none: the top-level window is the manager's own.
    xcb_window_t ClientIn(xcb_window_t frame, int depth);
    xcb_atom_t Atom(const char* name);
    std::uint8_t Keycode(std::uint32_t keysym);

    xcb_connection_t* m_conn;
    xcb_window_t m_root = 0;
};

}  // namespace qv::test
