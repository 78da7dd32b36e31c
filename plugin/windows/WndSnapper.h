#pragma once
// Top-level windows that stick together. A registered window dragged to
// within 9 pixels of another registered window's edge lands against that
// edge, its start or end aligned or at the offset it had; when the anchor
// (the main window) moves or resizes, every window hanging on it, directly
// or through others, moves with it.
//
// A registered window carries the snapper in its user-data slot (so a
// window with something there is refused) and a message hook that passes
// every message on. A window that is destroyed leaves the snapper. UI
// thread only; the snapper must not outlive the application it was used in.
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/os/Types.h"
#include "platform/ui/Geometry.h"

namespace qv::ui {
class SHostWnd;
}

namespace qv::plugin {

class CWndSnapper {
public:
    enum Side { kNone = 0, kLeft = 1, kAbove = 2, kRight = 3, kBelow = 4 };
    // Offset: `offset` is this window's top (left and right sides) or left
    // (above and below) minus the neighbour's.
    enum Align { kOffset = 0, kStart = 1, kEnd = 2 };

    struct Snap {
        int side = kNone;
        int align = kOffset;
        int offset = 0;
        HWND neighbour = nullptr;
    };

    CWndSnapper() = default;
    ~CWndSnapper();
    CWndSnapper(const CWndSnapper&) = delete;
    CWndSnapper& operator=(const CWndSnapper&) = delete;

    // The window becomes the anchor and is registered.
    void SetAnchor(HWND wnd);
    // Registers the window, places it against the neighbour when a side is
    // given, and groups the windows again. FALSE when it is registered
    // already or cannot be.
    BOOL AddWindow(HWND wnd, int side = kNone, int align = kOffset, int offset = 0, HWND neighbour = nullptr);
    // Gives the window its own message handling back. FALSE when it is not registered.
    BOOL RemoveWindow(HWND wnd);
    bool IsRegistered(HWND wnd) const { return Find(wnd) != nullptr; }
    // The window's snap; nullopt when it is not registered.
    std::optional<Snap> GetSnap(HWND wnd) const;

    // How a window of rectangle `placed` would snap to `other` (its screen
    // rectangle): side kNone when it would not.
    static Snap EdgeTest(const qv::ui::CRect& other, const qv::ui::CRect& placed);
    // Where a window of that size goes against the neighbour's rectangle.
    static qv::ui::CPoint SnapPosition(const Snap& snap, const qv::ui::CRect& neighbour, qv::ui::CSize size);

private:
    struct Record {
        HWND wnd = nullptr;
        std::uint64_t hook = 0;
        Snap snap;
        bool placing = false;  // the snapper itself moves the window
        bool moved = false;    // moved or sized since the last button release
    };

    Record* Find(HWND wnd);
    const Record* Find(HWND wnd) const;
    bool Register(HWND wnd);
    void Unregister(HWND wnd);
    void OnMessage(HWND wnd, UINT msg, LPARAM lParam);
    void OnPosChanging(Record& r, void* windowPos);
    void PlaceWindow(Record& r, const Snap& snap);
    void FollowAnchor();
    void Regroup();
    void SnapAround(HWND wnd);

    HWND m_anchor = nullptr;
    std::vector<Record> m_records;  // in registration order
};

}  // namespace qv::plugin
