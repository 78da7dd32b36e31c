#include "tests/controls/GifMaker.h"

#include <gif_lib.h>

namespace qv::controls::test {
namespace {

int Append(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

}  // namespace

std::vector<std::uint8_t> MakeGif(int width, int height, const std::vector<GifFrameSpec>& frames) {
    std::vector<std::uint8_t> bytes;
    int error = 0;
    GifFileType* gif = EGifOpen(&bytes, Append, &error);
    std::vector<GifColorType> colors(256, GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < frames.size() && i < 256; ++i) colors[i] = {frames[i].r, frames[i].g, frames[i].b};
    ColorMapObject* map = GifMakeMapObject(256, colors.data());
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, width, height, 8, 0, map);
    std::vector<GifPixelType> line(static_cast<std::size_t>(width));
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (frames[i].delay >= 0) {
            GraphicsControlBlock gcb{};
            gcb.DisposalMode = DISPOSE_DO_NOT;
            gcb.DelayTime = frames[i].delay;
            gcb.TransparentColor = NO_TRANSPARENT_COLOR;
            GifByteType ext[4];
            const size_t n = EGifGCBToExtension(&gcb, ext);
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(n), ext);
        }
        EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr);
        line.assign(line.size(), static_cast<GifPixelType>(i));
        for (int y = 0; y < height; ++y) EGifPutLine(gif, line.data(), width);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return bytes;
}

}  // namespace qv::controls::test
