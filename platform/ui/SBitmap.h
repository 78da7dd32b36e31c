#pragma once
// A bitmap: premultiplied ARGB32 pixels in a Cairo image surface, shared by
// reference count (BitmapPtr).
#include <cstdint>
#include <memory>
#include <span>

#include "platform/ui/Color.h"
#include "platform/ui/Geometry.h"

typedef struct _cairo_surface cairo_surface_t;

namespace qv::ui {

class SBitmap;
using BitmapPtr = std::shared_ptr<SBitmap>;

class SBitmap {
public:
    ~SBitmap();
    SBitmap(const SBitmap&) = delete;
    SBitmap& operator=(const SBitmap&) = delete;

    // A transparent bitmap of the given size.
    static BitmapPtr Create(int width, int height);
    // From premultiplied ARGB32 pixels, rows of width * 4 bytes.
    static BitmapPtr FromPixels(int width, int height, const std::uint32_t* pixels);
    // PNG or GIF (first frame) by content; null for anything else.
    static BitmapPtr FromImageData(std::span<const std::uint8_t> bytes);
    static BitmapPtr FromPng(std::span<const std::uint8_t> bytes);
    // Takes over a surface reference.
    static BitmapPtr Adopt(cairo_surface_t* surface);

    int Width() const;
    int Height() const;
    CSize Size() const { return {Width(), Height()}; }
    cairo_surface_t* Surface() const { return m_surface; }
    // Un-premultiplied colour of a pixel; 0 outside.
    COLORREF GetPixel(int x, int y) const;

private:
    explicit SBitmap(cairo_surface_t* surface) : m_surface(surface) {}
    cairo_surface_t* m_surface;
};

}  // namespace qv::ui
