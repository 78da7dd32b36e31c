// The gallery of standard controls in the skin's colours, shown in a real
// window on a private X screen; its screenshot is kept as an artifact.
#include <cairo.h>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "XvfbServer.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SHostWnd.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/SSkinScrollbar.h"
#include "platform/ui/controls/SListBox.h"
#include "platform/ui/controls/SScrollView.h"
#include "platform/ui/controls/StandardControls.h"
#include "platform/ui/sdl/SdlDisplay.h"

extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

namespace qv::ui {
namespace {

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

// The screen's pixels as 0x00RRGGBB.
std::vector<std::uint32_t> Grab(const std::string& display, const CRect& rc) {
    std::vector<std::uint32_t> pixels;
    xcb_connection_t* conn = xcb_connect(display.c_str(), nullptr);
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(conn)).data->root;
    auto* reply = xcb_get_image_reply(
        conn,
        xcb_get_image(conn, XCB_IMAGE_FORMAT_Z_PIXMAP, root, static_cast<int16_t>(rc.left), static_cast<int16_t>(rc.top),
                      static_cast<uint16_t>(rc.Width()), static_cast<uint16_t>(rc.Height()), ~0u),
        nullptr);
    if (reply) {
        const auto* data = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(reply));
        const auto count = static_cast<size_t>(xcb_get_image_data_length(reply)) / 4;
        for (size_t i = 0; i < count; ++i) pixels.push_back(data[i] & 0xFFFFFF);
        free(reply);
    }
    xcb_disconnect(conn);
    return pixels;
}

bool SavePng(std::vector<std::uint32_t> pixels, int width, int height, const std::string& path) {
    cairo_surface_t* s = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(pixels.data()),
                                                             CAIRO_FORMAT_RGB24, width, height, width * 4);
    const bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}

std::uint32_t Rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

TEST(GalleryTest, TheStandardControlsShowInTheSkinsColoursWithScrollBars) {
    qv::test::XvfbServer xvfb;
    if (!xvfb.Start()) GTEST_SKIP() << "Xvfb is not available";
    setenv("DISPLAY", xvfb.Display().c_str(), 1);
    sdl::SdlDisplay display;
    SetDisplayBackend(&display);
    {
        SApplication app(nullptr);
        RegisterStandardControls(app.GetWindowFactory());
        ASSERT_TRUE(app.AddResProvider(nullptr, u"uidef:xml_init"));
        SHostWnd host(u"LAYOUT:XML_GALLERY");
        ASSERT_NE(host.Create(), nullptr);
        auto* list = host.FindChildByName2<SListBox>(u"list");
        ASSERT_NE(list, nullptr);
        for (int i = 1; i <= 40; ++i) list->AddString(SStringW::Format(u"第 %d 个音效 Sound %d", i, i));
        list->SetCurSel(2);
        auto* view = host.FindChildByName2<SScrollView>(u"view");
        ASSERT_NE(view, nullptr);
        host.SetWindowPos(CRect(0, 0, 640, 480));
        host.ShowWindow(SW_SHOW);
        RunFor(300);
        view->SetViewOrigin(CPoint(40, 30));
        RunFor(300);
        EXPECT_TRUE(list->HasScrollBar(true));
        EXPECT_TRUE(view->HasScrollBar(true) && view->HasScrollBar(false));

        const std::vector<std::uint32_t> shot = Grab(xvfb.Display(), CRect(0, 0, 640, 480));
        ASSERT_EQ(shot.size(), 640u * 480u);
        const std::string dir = std::string(QV_ARTIFACTS_DIR) + "/ui";
        std::filesystem::create_directories(dir);
        EXPECT_TRUE(SavePng(shot, 640, 480, dir + "/gallery.png"));
        // The screen shows the frame: the window's colour, a panel, the bars.
        SRenderTarget* rt = host.GetRenderTarget();
        for (CPoint pt : {CPoint(3, 40), CPoint(15, 60), list->GetScrollPartRect(true, SBP_THUMB).CenterPoint(),
                          view->GetScrollPartRect(false, SBP_THUMB).CenterPoint()}) {
            EXPECT_EQ(shot[static_cast<size_t>(pt.y) * 640 + static_cast<size_t>(pt.x)], Rgb(rt->GetPixel(pt.x, pt.y)))
                << pt.x << "," << pt.y;
        }
        EXPECT_EQ(Rgb(rt->GetPixel(3, 40)), 0x1E1F24u);
        host.DestroyWindow();
        RunFor(0);
    }
    SetDisplayBackend(nullptr);
    qv::os::DestroyThreadQueue();
    SRenderTarget::ReleaseThreadFontCache();
}

}  // namespace
}  // namespace qv::ui
