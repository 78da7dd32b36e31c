// Lays out and draws a window of 300 controls offscreen and prints the time
// of a full frame and of redrawing one invalidated control.
#include <chrono>
#include <cstdio>
#include <string>

#include "ControlsBench.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SHostWnd.h"
#include "platform/ui/SRenderTarget.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start, int iterations) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / iterations;
}

// 20 columns x 15 rows of labelled cells, each with a background and text.
std::u16string BuildLayout() {
    std::string xml = "<SOUI size=\"1200,640\"><root colorBkgnd=\"#1E1F24\">"
                      "<window name=\"grid\" pos=\"10,10,-10,-10\" layout=\"gridLayout\" columnCount=\"20\" "
                      "xInterval=\"4\" yInterval=\"4\">";
    for (int i = 0; i < 300; ++i) {
        xml += "<text name=\"c" + std::to_string(i) + "\" height=\"36\" colorBkgnd=\"#2A2C33\" colorText=\"#E6E8EE\" "
               "align=\"center\" text=\"参数 " + std::to_string(i) + "\"/>";
    }
    xml += "</window></root></SOUI>";
    return qv::ui::SStringW::FromUtf8(xml).str();
}

}  // namespace

int main() {
    using namespace qv::ui;
    auto app = std::make_unique<SApplication>(nullptr);
    SHostWnd host;
    auto start = Clock::now();
    if (!host.CreateFromXml(SStringW(BuildLayout()))) {
        std::fprintf(stderr, "layout failed\n");
        return 1;
    }
    double createMs = MsSince(start, 1);
    host.UpdateWindow();  // warm the font caches

    constexpr int kLayouts = 50;
    start = Clock::now();
    for (int i = 0; i < kLayouts; ++i) host.UpdateLayout();
    double layoutMs = MsSince(start, kLayouts);

    constexpr int kFrames = 100;
    start = Clock::now();
    for (int i = 0; i < kFrames; ++i) {
        host.InvalidateHostRect(host.GetWindowRect());
        host.UpdateWindow();
    }
    double frameMs = MsSince(start, kFrames);

    constexpr int kSingles = 1000;
    start = Clock::now();
    for (int i = 0; i < kSingles; ++i) {
        SWindow* cell = host.FindChildByName(u"c" + std::u16string(SStringW::Format(u"%d", (i * 7) % 300).str()));
        cell->Invalidate();
        host.UpdateWindow();
    }
    double singleMs = MsSince(start, kSingles);

    std::printf("ui_render: 300 controls, 1200x640\n");
    std::printf("  create from layout      %8.3f ms\n", createMs);
    std::printf("  layout pass             %8.3f ms\n", layoutMs);
    std::printf("  full frame              %8.3f ms (target < 8 ms)\n", frameMs);
    std::printf("  one control invalidated %8.3f ms (%.1fx faster than a full frame)\n", singleMs,
                singleMs > 0 ? frameMs / singleMs : 0.0);
    host.DestroyWindow();
    BenchPluginControls(frameMs);
    app.reset();
    qv::os::DestroyThreadQueue();
    SRenderTarget::ReleaseThreadFontCache();
    return 0;
}
