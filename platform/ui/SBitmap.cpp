#include "platform/ui/SBitmap.h"

#include <cairo.h>

#include <cstring>

#include "platform/os/Log.h"
#include "platform/ui/GifDecoder.h"

namespace qv::ui {
namespace {

struct PngReader {
    std::span<const std::uint8_t> bytes;
    size_t offset = 0;
};

cairo_status_t ReadPng(void* closure, unsigned char* data, unsigned int length) {
    auto* r = static_cast<PngReader*>(closure);
    if (r->offset + length > r->bytes.size()) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, r->bytes.data() + r->offset, length);
    r->offset += length;
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

SBitmap::~SBitmap() { cairo_surface_destroy(m_surface); }

BitmapPtr SBitmap::Adopt(cairo_surface_t* surface) {
    if (!surface || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        if (surface) cairo_surface_destroy(surface);
        return nullptr;
    }
    return BitmapPtr(new SBitmap(surface));
}

BitmapPtr SBitmap::Create(int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    return Adopt(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
}

BitmapPtr SBitmap::FromPixels(int width, int height, const std::uint32_t* pixels) {
    BitmapPtr bmp = Create(width, height);
    if (!bmp || !pixels) return bmp;
    cairo_surface_flush(bmp->m_surface);
    unsigned char* data = cairo_image_surface_get_data(bmp->m_surface);
    int stride = cairo_image_surface_get_stride(bmp->m_surface);
    for (int y = 0; y < height; ++y) {
        std::memcpy(data + y * stride, pixels + static_cast<size_t>(y) * static_cast<size_t>(width),
                    static_cast<size_t>(width) * 4);
    }
    cairo_surface_mark_dirty(bmp->m_surface);
    return bmp;
}

BitmapPtr SBitmap::FromPng(std::span<const std::uint8_t> bytes) {
    PngReader reader{bytes};
    return Adopt(cairo_image_surface_create_from_png_stream(ReadPng, &reader));
}

BitmapPtr SBitmap::FromImageData(std::span<const std::uint8_t> bytes) {
    static const std::uint8_t kPng[] = {0x89, 'P', 'N', 'G'};
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), kPng, 4) == 0) return FromPng(bytes);
    if (bytes.size() >= 6 && std::memcmp(bytes.data(), "GIF8", 4) == 0) {
        GifImage gif = DecodeGif(bytes);
        if (!gif.frames.empty()) return gif.frames.front();
        return nullptr;
    }
    QV_LOGE("unknown image format (%zu bytes)", bytes.size());
    return nullptr;
}

int SBitmap::Width() const { return cairo_image_surface_get_width(m_surface); }
int SBitmap::Height() const { return cairo_image_surface_get_height(m_surface); }

COLORREF SBitmap::GetPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return 0;
    cairo_surface_flush(m_surface);
    const unsigned char* data = cairo_image_surface_get_data(m_surface);
    int stride = cairo_image_surface_get_stride(m_surface);
    std::uint32_t p;
    std::memcpy(&p, data + y * stride + x * 4, 4);
    std::uint8_t a = p >> 24;
    if (a == 0) return 0;
    auto un = [a](std::uint32_t c) { return static_cast<std::uint8_t>(std::min<std::uint32_t>(255, (c * 255 + a / 2) / a)); };
    return RGBA(un((p >> 16) & 0xFF), un((p >> 8) & 0xFF), un(p & 0xFF), a);
}

}  // namespace qv::ui
