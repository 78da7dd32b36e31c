#pragma once
// The test's own connection to a private X server: screen pixels, pointer
// input through XTest, and the pumping of the calling thread's messages
// while the windows answer.
#include <xcb/xcb.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/Geometry.h"

namespace qv::test {

class XScreen {
public:
    explicit XScreen(const std::string& display);
    ~XScreen();
    XScreen(const XScreen&) = delete;
    XScreen& operator=(const XScreen&) = delete;

    // 0x00RRGGBB pixels of a screen rectangle, row by row; empty on failure.
    std::vector<std::uint32_t> Grab(const ui::CRect& rc);
    // The rectangle as a PNG under QV_ARTIFACTS_DIR/relativePath.
    bool SaveShot(const ui::CRect& rc, const std::string& relativePath);
    void MoveTo(ui::CPoint pt);
    void Button(bool down);
    // A round trip: the server has taken everything sent before.
    void Sync();
    // Where the server has a window's top-left corner on the screen.
    ui::CPoint Origin(xcb_window_t window);

private:
    xcb_connection_t* m_conn;
    xcb_window_t m_root = 0;
};

// Dispatches the calling thread's messages for that long.
void RunFor(int ms);
// Dispatches them until done() holds, at most timeoutMs; whether it held.
bool RunUntil(const std::function<bool()>& done, int timeoutMs = 5000);

}  // namespace qv::test
