#include "plugin/windows/WndSnapper.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/os/MessageQueue.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SHostWnd.h"
#include "tests/support/GeometryPrinters.h"

namespace qv::plugin {
namespace {

using namespace qv::ui;
using Snap = CWndSnapper::Snap;

// Snapping to a 200 x 200 window at (500,300) of 100 x 100 windows that
// come near it.
struct EdgeCase {
    const char* name;
    CRect placed;
    int side;
    int align;
    int offset;
    CPoint lands;
};

const EdgeCase kEdgeCases[] = {
    {"left, 9 px off, tops 3 apart", {391, 303, 491, 403}, CWndSnapper::kLeft, CWndSnapper::kStart, 0, {400, 300}},
    {"left, bottoms near", {395, 398, 495, 498}, CWndSnapper::kLeft, CWndSnapper::kEnd, 0, {400, 400}},
    {"left, at an offset", {400, 350, 500, 450}, CWndSnapper::kLeft, CWndSnapper::kOffset, 50, {400, 350}},
    {"right", {705, 305, 805, 405}, CWndSnapper::kRight, CWndSnapper::kStart, 0, {700, 300}},
    {"right, bottoms near", {695, 402, 795, 502}, CWndSnapper::kRight, CWndSnapper::kEnd, 0, {700, 400}},
    {"above", {505, 195, 605, 295}, CWndSnapper::kAbove, CWndSnapper::kStart, 0, {500, 200}},
    {"above, rights near", {598, 205, 698, 305}, CWndSnapper::kAbove, CWndSnapper::kEnd, 0, {600, 200}},
    {"below, at an offset", {550, 508, 650, 608}, CWndSnapper::kBelow, CWndSnapper::kOffset, 50, {550, 500}},
    {"below, lefts near", {497, 491, 597, 591}, CWndSnapper::kBelow, CWndSnapper::kStart, 0, {500, 500}},
    {"10 px off", {390, 303, 490, 403}, CWndSnapper::kNone, 0, 0, {}},
    {"beside but not overlapping", {391, 520, 491, 620}, CWndSnapper::kNone, 0, 0, {}},
};

TEST(WndSnapperGeometryTest, EdgesNearerThanTenPixelsSnapBySideAndAlignment) {
    const CRect other(500, 300, 700, 500);
    for (const EdgeCase& c : kEdgeCases) {
        const Snap snap = CWndSnapper::EdgeTest(other, c.placed);
        EXPECT_EQ(snap.side, c.side) << c.name;
        if (c.side == CWndSnapper::kNone) continue;
        EXPECT_EQ(snap.align, c.align) << c.name;
        EXPECT_EQ(snap.offset, c.offset) << c.name;
        EXPECT_EQ(CWndSnapper::SnapPosition(snap, other, c.placed.Size()), c.lands) << c.name;
    }
}

class WndSnapperTest : public ::testing::Test {
protected:
    void SetUp() override { m_app = std::make_unique<SApplication>(nullptr); }
    void TearDown() override {
        m_snapper.reset();
        for (auto& w : m_windows) w->DestroyWindow();
        m_windows.clear();
        while (qv::os::PumpOneMessage()) {
        }
        m_app.reset();
        qv::os::DestroyThreadQueue();
    }
    SHostWnd* Window(const CRect& rc) {
        auto host = std::make_unique<SHostWnd>();
        EXPECT_NE(host->CreateFromXml(u"<SOUI size=\"10,10\"><root/></SOUI>"), nullptr);
        host->SetWindowPos(rc);
        host->ShowWindow(SW_SHOWNOACTIVATE);
        m_windows.push_back(std::move(host));
        return m_windows.back().get();
    }
    // A drag by the user: moves, then the button comes up.
    static void Drag(SHostWnd* w, const CRect& to) {
        w->SetWindowPos(to);
        w->SendMessage(WM_LBUTTONUP, 0, 0);
    }

    std::unique_ptr<SApplication> m_app;
    std::vector<std::unique_ptr<SHostWnd>> m_windows;
    std::unique_ptr<CWndSnapper> m_snapper = std::make_unique<CWndSnapper>();
};

TEST_F(WndSnapperTest, DraggedWindowLandsAgainstItsNeighbour) {
    SHostWnd* a = Window({500, 300, 700, 500});
    SHostWnd* b = Window({0, 0, 100, 100});
    m_snapper->SetAnchor(a->GetHwnd());
    ASSERT_TRUE(m_snapper->AddWindow(b->GetHwnd()));
    Drag(b, {390, 303, 490, 403});  // 10 px: stays
    EXPECT_EQ(b->GetScreenRect(), CRect(390, 303, 490, 403));
    Drag(b, {391, 303, 491, 403});  // 9 px, tops 3 apart: touching, tops equal
    EXPECT_EQ(b->GetScreenRect(), CRect(400, 300, 500, 400));
    // Once the button is up it hangs on the anchor.
    const Snap snap = *m_snapper->GetSnap(b->GetHwnd());
    EXPECT_EQ(snap.side, CWndSnapper::kLeft);
    EXPECT_EQ(snap.align, CWndSnapper::kStart);
    EXPECT_EQ(snap.neighbour, a->GetHwnd());
    Drag(b, {0, 0, 100, 100});
    EXPECT_EQ(m_snapper->GetSnap(b->GetHwnd())->side, CWndSnapper::kNone);
    // The anchor itself is never pulled.
    Drag(a, {105, 0, 305, 200});
    EXPECT_EQ(a->GetScreenRect(), CRect(105, 0, 305, 200));
}

TEST_F(WndSnapperTest, NearTwoWindowsTheOneRegisteredFirstWins) {
    for (bool anchorFirst : {true, false}) {
        m_snapper = std::make_unique<CWndSnapper>();
        SHostWnd* a = Window({500, 300, 700, 500});
        SHostWnd* c = Window({380, 150, 480, 295});
        SHostWnd* b = Window({0, 0, 100, 100});
        if (anchorFirst) m_snapper->SetAnchor(a->GetHwnd());
        ASSERT_TRUE(m_snapper->AddWindow(c->GetHwnd()));
        if (!anchorFirst) m_snapper->SetAnchor(a->GetHwnd());
        ASSERT_TRUE(m_snapper->AddWindow(b->GetHwnd()));
        // 9 px left of a, 5 px below c.
        b->SetWindowPos(CRect(391, 300, 491, 400));
        EXPECT_EQ(b->GetScreenRect(), anchorFirst ? CRect(400, 300, 500, 400) : CRect(391, 295, 491, 395));
    }
}

TEST_F(WndSnapperTest, WindowsHangingOnTheAnchorFollowItNeighboursFirst) {
    SHostWnd* a = Window({100, 100, 400, 400});
    SHostWnd* b = Window({0, 0, 300, 100});
    SHostWnd* c = Window({105, 505, 205, 605});
    m_snapper->SetAnchor(a->GetHwnd());
    // c is registered first, yet hangs below b, which hangs below the anchor.
    ASSERT_TRUE(m_snapper->AddWindow(c->GetHwnd()));
    EXPECT_EQ(m_snapper->GetSnap(c->GetHwnd())->side, CWndSnapper::kNone);
    ASSERT_TRUE(m_snapper->AddWindow(b->GetHwnd(), CWndSnapper::kBelow, CWndSnapper::kStart, 0, a->GetHwnd()));
    EXPECT_EQ(b->GetScreenRect(), CRect(100, 400, 400, 500));
    EXPECT_EQ(c->GetScreenRect(), CRect(100, 500, 200, 600));
    EXPECT_EQ(m_snapper->GetSnap(c->GetHwnd())->neighbour, b->GetHwnd());

    a->SetWindowPos(CRect(150, 100, 450, 400));
    EXPECT_EQ(b->GetScreenRect(), CRect(150, 400, 450, 500));
    EXPECT_EQ(c->GetScreenRect(), CRect(150, 500, 250, 600));
    // A taller anchor pushes them down.
    a->SetWindowPos(CRect(150, 100, 450, 450));
    EXPECT_EQ(b->GetScreenRect(), CRect(150, 450, 450, 550));
    EXPECT_EQ(c->GetScreenRect(), CRect(150, 550, 250, 650));
}

TEST_F(WndSnapperTest, RegistrationIsOnceAndRemovalGivesTheWindowBack) {
    SHostWnd* a = Window({500, 300, 700, 500});
    SHostWnd* b = Window({0, 0, 100, 100});
    m_snapper->SetAnchor(a->GetHwnd());
    ASSERT_TRUE(m_snapper->AddWindow(b->GetHwnd()));
    EXPECT_FALSE(m_snapper->AddWindow(b->GetHwnd()));
    CWndSnapper other;
    EXPECT_FALSE(other.AddWindow(b->GetHwnd()));  // the slot is taken
    EXPECT_EQ(b->GetUserData(), reinterpret_cast<ULONG_PTR>(m_snapper.get()));

    ASSERT_TRUE(m_snapper->RemoveWindow(b->GetHwnd()));
    EXPECT_FALSE(m_snapper->RemoveWindow(b->GetHwnd()));
    EXPECT_EQ(b->GetUserData(), 0u);
    Drag(b, {391, 303, 491, 403});
    EXPECT_EQ(b->GetScreenRect(), CRect(391, 303, 491, 403));
    EXPECT_TRUE(other.AddWindow(b->GetHwnd()));
    ASSERT_TRUE(other.RemoveWindow(b->GetHwnd()));
}

TEST_F(WndSnapperTest, DestroyedWindowsLeaveTheSnapper) {
    SHostWnd* a = Window({100, 100, 400, 400});
    SHostWnd* b = Window({100, 400, 400, 500});
    m_snapper->SetAnchor(a->GetHwnd());
    ASSERT_TRUE(m_snapper->AddWindow(b->GetHwnd()));
    const HWND gone = b->GetHwnd();
    b->DestroyWindow();
    EXPECT_FALSE(m_snapper->IsRegistered(gone));
    a->SetWindowPos(CRect(150, 100, 450, 400));
    a->DestroyWindow();
    EXPECT_FALSE(m_snapper->IsRegistered(a->GetHwnd()));
}

}  // namespace
}  // namespace qv::plugin
