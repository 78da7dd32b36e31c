#include "ControlsBench.h"

#include <chrono>
#include <cstdio>
#include <algorithm>
#include <string>
#include <vector>

#include "controls/CEqModel.h"
#include "controls/PluginControls.h"
#include "controls/QvEQ.h"
#include "controls/QvEqCurve.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SHostWnd.h"
#include "platform/ui/SRenderTarget.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace qv::ui;

double MsPer(Clock::time_point start, int iterations) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / iterations;
}

// The median over rounds of the mean time of one run of fn, so a busy
// machine disturbs it as it does the frame figures.
template <class Fn>
double MedianMs(Fn fn, int rounds, int perRound) {
    std::vector<double> ms;
    for (int r = 0; r < rounds; ++r) {
        const auto start = Clock::now();
        for (int i = 0; i < perRound; ++i) fn();
        ms.push_back(MsPer(start, perRound));
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// Invalidates one window and redraws what that dirtied.
double RepaintMs(SHostWnd& host, SWindow* wnd, int perRound) {
    return MedianMs([&] {
        wnd->Invalidate();
        host.UpdateWindow();
    }, 15, perRound);
}

// Paints one window alone (no background, no children beneath).
double PaintAloneMs(SWindow* wnd, int perRound) {
    SRenderTarget rt(1200, 640);
    return MedianMs([&] { wnd->Paint(rt, wnd->GetWindowRect()); }, 15, perRound);
}

// A page like the effect page's: knobs, faders and the equaliser with ten
// bands, over the skin's images.
const char16_t* kLayout =
    u"<SOUI size=\"1200,640\"><root colorBkgnd=\"#1E1F24\">"
    u"<qvrotaryknob name=\"knob\" pos=\"20,20,@64,@64\" skin=\"skin_knob_bg\" dotSkin=\"skin_knob_dot\""
    u" slashSkin=\"IMG:image_Rotray_pointer\" pointerSize=\"4,16\" poniterOffset=\"-2,4\" fgRadius=\"31\" dotRadius=\"28\""
    u" includedAngle=\"70\" colorCircle=\"#3DA9FC\" max=\"100\" value=\"63\"/>"
    u"<qvslider name=\"slider\" pos=\"120,20,@16,@160\" vertical=\"1\" thumbSkin=\"skin_slider_thumb\""
    u" bkgndSkin=\"skin_slider_rail\" posSkin=\"skin_slider_span\" max=\"100\" value=\"40\"/>"
    u"<qveq name=\"eq\" pos=\"200,20,@600,@260\" skin=\"skin_eq_bg\">"
    u"<qveqgrid pos=\"0,0,-0,-0\" colorText=\"#9AA0AE\"/><qveqcurve name=\"curve\" pos=\"0,0,-0,-0\"/></qveq>"
    u"</root></SOUI>";

}  // namespace

void BenchPluginControls(double fullFrameMs) {
    SApplication* app = SApplication::getSingletonPtr();
    if (!app) return;
    qv::controls::RegisterPluginControls(app->GetWindowFactory(), app->GetSkinFactory());
    if (!app->AddResProvider(nullptr, u"uidef:xml_init")) {
        std::fprintf(stderr, "the skin is missing\n");
        return;
    }
    SHostWnd host;
    if (!host.CreateFromXml(kLayout)) {
        std::fprintf(stderr, "controls layout failed\n");
        return;
    }
    auto* eq = host.FindChildByName2<qv::controls::QvEQ>(u"eq");
    const double freqs[] = {31, 62, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
    for (int i = 0; i < 10; ++i) eq->AddBand(i % 3 == 0 ? 0 : 2.5 * (i - 5), freqs[i], 1.7);
    eq->UpdateFromModel();
    eq->SetBandGain(5, 12);
    host.UpdateWindow();

    const double knobMs = RepaintMs(host, host.FindChildByName(u"knob"), 100);
    const double sliderMs = RepaintMs(host, host.FindChildByName(u"slider"), 100);
    const double eqMs = RepaintMs(host, host.FindChildByName(u"curve"), 10);
    const double curveMs = PaintAloneMs(host.FindChildByName(u"curve"), 10);
    const double gridMs = PaintAloneMs(eq->GetWindow(GSW_FIRSTCHILD), 10);

    // One band's coefficients and response (1024 points) and the sum.
    qv::controls::CEqModel model;
    const std::vector<double> axis = qv::controls::BuildEqAxis(qv::controls::QvEQ::kPointCount, 10);
    model.Init(axis);
    for (double f : freqs) model.AddBand(3, f, 1.7);
    model.RecalcAll();
    int step = 0;
    const double bandUs = MedianMs([&] {
        model.SetBandParam(step % 10, (step % 2) ? 6.0 : -6.0, qv::controls::kEqParamGain);
        ++step;
    }, 15, 100) * 1000;

    std::printf("plug-in controls (medians of 15 rounds)\n");
    std::printf("  knob repaint            %8.3f ms\n", knobMs);
    std::printf("  slider repaint          %8.3f ms\n", sliderMs);
    std::printf("  EQ one band + sum       %8.1f us (1024 points)\n", bandUs);
    auto ofFrame = [&](double ms) { return fullFrameMs > 0 ? ms / fullFrameMs : 0.0; };
    std::printf("  EQ curve draw           %8.3f ms (%.2f of the full frame, %.3f ms)\n", curveMs, ofFrame(curveMs),
                fullFrameMs);
    std::printf("  EQ grid draw            %8.3f ms (%.2f of the full frame)\n", gridMs, ofFrame(gridMs));
    std::printf("  EQ repaint, all of it   %8.3f ms (%.2f of the full frame)\n", eqMs, ofFrame(eqMs));
    host.DestroyWindow();
}
