#include "tools/skin/GifFile.h"

#include <gif_lib.h>

#include <map>
#include <memory>

namespace qv::skintool {
namespace {

int Append(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

// The frame's pixels as 0xRRGGBB, or -1 where transparent.
std::vector<long> FramePixels(const SkinAnimation& a, int frame) {
    Canvas canvas(a.width, a.height);
    a.paint(canvas, frame);
    cairo_surface_t* s = cairo_get_target(canvas.Cr());
    cairo_surface_flush(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    std::vector<long> pixels;
    for (int y = 0; y < a.height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
        for (int x = 0; x < a.width; ++x) {
            const std::uint32_t p = row[x];
            const std::uint32_t alpha = p >> 24;
            if (alpha < 128) {
                pixels.push_back(-1);
                continue;
            }
            auto un = [&](int shift) { return ((p >> shift) & 0xFF) * 255 / alpha; };
            pixels.push_back(static_cast<long>((un(16) << 16) | (un(8) << 8) | un(0)));
        }
    }
    return pixels;
}

}  // namespace

std::vector<std::uint8_t> EncodeGif(const SkinAnimation& a) {
    std::vector<std::vector<long>> frames;
    std::map<long, int> indexOf;
    std::vector<GifColorType> colors(256, GifColorType{0, 0, 0});  // index 0: transparent
    for (int f = 0; f < a.frames; ++f) {
        frames.push_back(FramePixels(a, f));
        for (long p : frames.back()) {
            if (p < 0 || indexOf.count(p)) continue;
            const int index = static_cast<int>(indexOf.size()) + 1;
            if (index > 255) return {};
            indexOf[p] = index;
            colors[index] = {static_cast<GifByteType>(p >> 16), static_cast<GifByteType>(p >> 8), static_cast<GifByteType>(p)};
        }
    }
    std::vector<std::uint8_t> bytes;
    int error = 0;
    GifFileType* gif = EGifOpen(&bytes, Append, &error);
    ColorMapObject* map = GifMakeMapObject(256, colors.data());
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, a.width, a.height, 8, 0, map);
    // Loop for ever.
    GifByteType loop[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    GifByteType forever[] = {1, 0, 0};
    EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE);
    EGifPutExtensionBlock(gif, sizeof loop, loop);
    EGifPutExtensionBlock(gif, sizeof forever, forever);
    EGifPutExtensionTrailer(gif);
    std::vector<GifPixelType> line(static_cast<std::size_t>(a.width));
    for (const std::vector<long>& pixels : frames) {
        GraphicsControlBlock gcb{};
        gcb.DisposalMode = DISPOSE_BACKGROUND;
        gcb.DelayTime = a.delay;
        gcb.TransparentColor = 0;
        GifByteType ext[4];
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(EGifGCBToExtension(&gcb, ext)), ext);
        EGifPutImageDesc(gif, 0, 0, a.width, a.height, false, nullptr);
        for (int y = 0; y < a.height; ++y) {
            for (int x = 0; x < a.width; ++x) {
                const long p = pixels[static_cast<std::size_t>(y * a.width + x)];
                line[static_cast<std::size_t>(x)] = static_cast<GifPixelType>(p < 0 ? 0 : indexOf[p]);
            }
            EGifPutLine(gif, line.data(), a.width);
        }
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return bytes;
}

}  // namespace qv::skintool
