#include "platform/gdi/GdiBitmap.h"

#include <cairo.h>

#include <new>

#include "platform/gdi/Gdi.h"

std::unique_ptr<GdiBitmap> GdiBitmap::Make(int width, int height, int bpp, bool dib, bool topDown)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32)
        return nullptr;
    uint64_t stride = DibStride(width, bpp);
    if (bpp == 32 && !dib) {
        const int s = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, width);
        if (s <= 0)
            return nullptr;
        stride = static_cast<uint64_t>(s);
    }
    if (stride == 0 || stride * static_cast<uint64_t>(height) > GDI_MAX_BYTES)
        return nullptr;
    auto bmp = std::make_unique<GdiBitmap>();
    try {
        bmp->pixels.assign(static_cast<size_t>(stride * static_cast<uint64_t>(height)), 0);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    bmp->width = width;
    bmp->height = height;
    bmp->bpp = bpp;
    bmp->dib = dib;
    bmp->topDown = topDown;
    bmp->stride = static_cast<size_t>(stride);
    if (bpp <= 8) {
        bmp->numColors = 1 << bpp;
        if (bpp == 1) { // black and white until a table says otherwise
            bmp->colors[1].rgbRed = bmp->colors[1].rgbGreen = bmp->colors[1].rgbBlue = 255;
        }
    }
    return bmp;
}

PixelView GdiBitmap::View() const
{
    PixelView v;
    v.width = width;
    v.height = height;
    v.bpp = bpp;
    v.stride = stride;
    v.base = pixels.data();
    v.topDown = topDown;
    v.colors = colors;
    v.numColors = numColors;
    return v;
}
