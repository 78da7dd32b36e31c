#include <gtest/gtest.h>

#include <gif_lib.h>

#include <vector>

#include "platform/ui/GifDecoder.h"

namespace qv::ui {
namespace {

int Append(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

void PutFrame(GifFileType* gif, int left, int top, int w, int h, GifPixelType index, int delay) {
    if (delay >= 0) {
        GraphicsControlBlock gcb{};
        gcb.DisposalMode = DISPOSE_DO_NOT;
        gcb.DelayTime = delay;
        gcb.TransparentColor = NO_TRANSPARENT_COLOR;
        GifByteType ext[4];
        size_t n = EGifGCBToExtension(&gcb, ext);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(n), ext);
    }
    EGifPutImageDesc(gif, left, top, w, h, false, nullptr);
    std::vector<GifPixelType> line(static_cast<size_t>(w), index);
    for (int y = 0; y < h; ++y) EGifPutLine(gif, line.data(), w);
}

// A 4x4 animation: red everywhere, then a blue 2x2 patch at (2,2) over it.
std::vector<std::uint8_t> MakeGif() {
    std::vector<std::uint8_t> bytes;
    int error = 0;
    GifFileType* gif = EGifOpen(&bytes, Append, &error);
    GifColorType colors[4] = {{255, 0, 0}, {0, 0, 255}, {0, 0, 0}, {0, 0, 0}};
    ColorMapObject* map = GifMakeMapObject(4, colors);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, 4, 4, 2, 0, map);
    PutFrame(gif, 0, 0, 4, 4, 0, 5);
    PutFrame(gif, 2, 2, 2, 2, 1, -1);
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return bytes;
}

TEST(GifDecoderTest, FramesAreCompositedOntoTheCanvasWithTheirDelays) {
    std::vector<std::uint8_t> bytes = MakeGif();
    GifImage image = DecodeGif(bytes);
    ASSERT_EQ(image.frames.size(), 2u);
    EXPECT_EQ(image.delays, (std::vector<int>{5, 0}));
    EXPECT_EQ(image.frames[0]->Size(), CSize(4, 4));
    EXPECT_EQ(image.frames[0]->GetPixel(3, 3), RGBA(255, 0, 0, 255));
    EXPECT_EQ(image.frames[1]->GetPixel(0, 0), RGBA(255, 0, 0, 255));
    EXPECT_EQ(image.frames[1]->GetPixel(3, 3), RGBA(0, 0, 255, 255));
    BitmapPtr first = SBitmap::FromImageData(bytes);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->GetPixel(3, 3), RGBA(255, 0, 0, 255));
}

TEST(GifDecoderTest, DamagedDataGivesNoFrames) {
    std::vector<std::uint8_t> bytes = MakeGif();
    bytes.resize(bytes.size() / 2);
    EXPECT_TRUE(DecodeGif(bytes).frames.empty());
    std::vector<std::uint8_t> junk = {'G', 'I', 'F', '8', '9', 'a', 0xFF};
    EXPECT_TRUE(DecodeGif(junk).frames.empty());
    EXPECT_FALSE(SBitmap::FromImageData(junk));
    EXPECT_FALSE(SBitmap::FromImageData(std::vector<std::uint8_t>{1, 2, 3}));
}

}  // namespace
}  // namespace qv::ui
