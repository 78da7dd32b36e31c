#include "platform/ui/GifDecoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>

#include "platform/os/Log.h"

namespace qv::ui {
namespace {

struct GifReader {
    std::span<const std::uint8_t> bytes;
    size_t offset = 0;
};

int ReadGif(GifFileType* gif, GifByteType* out, int length) {
    auto* r = static_cast<GifReader*>(gif->UserData);
    size_t n = std::min(static_cast<size_t>(length), r->bytes.size() - r->offset);
    std::memcpy(out, r->bytes.data() + r->offset, n);
    r->offset += n;
    return static_cast<int>(n);
}

}  // namespace

GifImage DecodeGif(std::span<const std::uint8_t> bytes) {
    GifImage image;
    GifReader reader{bytes};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, ReadGif, &error);
    if (!gif) {
        QV_LOGE("not a GIF (%d)", error);
        return image;
    }
    if (DGifSlurp(gif) != GIF_OK || gif->SWidth <= 0 || gif->SHeight <= 0 || gif->SWidth > kGifMaxSide ||
        gif->SHeight > kGifMaxSide || gif->ImageCount <= 0 || gif->ImageCount > kGifMaxFrames) {
        QV_LOGE("bad GIF (%d)", gif->Error);
        DGifCloseFile(gif, &error);
        return image;
    }
    const int w = gif->SWidth, h = gif->SHeight;
    std::vector<std::uint32_t> canvas(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    std::vector<std::uint32_t> previous;
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& frame = gif->SavedImages[i];
        GraphicsControlBlock gcb{};
        gcb.TransparentColor = NO_TRANSPARENT_COLOR;
        DGifSavedExtensionToGCB(gif, i, &gcb);
        const ColorMapObject* map = frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
        if (gcb.DisposalMode == DISPOSE_PREVIOUS) previous = canvas;
        const int fl = frame.ImageDesc.Left, ft = frame.ImageDesc.Top;
        const int fw = frame.ImageDesc.Width, fh = frame.ImageDesc.Height;
        for (int y = 0; y < fh && map; ++y) {
            int cy = ft + y;
            if (cy < 0 || cy >= h) continue;
            for (int x = 0; x < fw; ++x) {
                int cx = fl + x;
                if (cx < 0 || cx >= w) continue;
                int index = frame.RasterBits[static_cast<size_t>(y) * static_cast<size_t>(fw) + static_cast<size_t>(x)];
                if (index == gcb.TransparentColor || index >= map->ColorCount) continue;
                const GifColorType& c = map->Colors[index];
                canvas[static_cast<size_t>(cy) * static_cast<size_t>(w) + static_cast<size_t>(cx)] =
                    0xFF000000u | (static_cast<std::uint32_t>(c.Red) << 16) | (static_cast<std::uint32_t>(c.Green) << 8) | c.Blue;
            }
        }
        image.frames.push_back(SBitmap::FromPixels(w, h, canvas.data()));
        image.delays.push_back(gcb.DelayTime);
        if (gcb.DisposalMode == DISPOSE_BACKGROUND) {
            for (int y = std::max(0, ft); y < std::min(h, ft + fh); ++y)
                for (int x = std::max(0, fl); x < std::min(w, fl + fw); ++x)
                    canvas[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] = 0;
        } else if (gcb.DisposalMode == DISPOSE_PREVIOUS && !previous.empty()) {
            canvas = previous;
        }
    }
    DGifCloseFile(gif, &error);
    return image;
}

}  // namespace qv::ui
