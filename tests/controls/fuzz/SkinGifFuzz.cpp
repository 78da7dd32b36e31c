#include "tests/controls/fuzz/SkinGifFuzz.h"

#include <cstdlib>

#include "controls/SSkinGif.h"
#include "platform/ui/GifDecoder.h"
#include "platform/ui/SRenderTarget.h"

int FuzzSkinGif(const std::uint8_t* data, std::size_t size) {
    qv::controls::SSkinGif skin;
    const int frames = skin.LoadFramesFromMemory(data, size);
    if (frames != skin.GetStates() || frames < 0 || frames > qv::ui::kGifMaxFrames) std::abort();
    if (frames == 0) {
        if (skin.GetSkinSize() != qv::ui::CSize()) std::abort();
        return 0;
    }
    const qv::ui::CSize s = skin.GetSkinSize();
    if (s.cx <= 0 || s.cy <= 0 || s.cx > qv::ui::kGifMaxSide || s.cy > qv::ui::kGifMaxSide) std::abort();
    qv::ui::SRenderTarget rt(8, 8);
    for (int i = -1; i <= frames; ++i) {
        if (skin.GetFrameDelay(i) < 0) std::abort();
        skin.DrawFrame(rt, qv::ui::CRect(0, 0, 8, 8), i);
        if (skin.GetCurrentFrame() < 0 || skin.GetCurrentFrame() >= frames) std::abort();
    }
    return 0;
}

#ifdef QV_FUZZ_MAIN
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { return FuzzSkinGif(data, size); }
#endif
