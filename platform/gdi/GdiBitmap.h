// A bitmap: rows of 1, 4, 8, 24 or 32 bits, a colour table below 16 bits, and whether it is a
// device bitmap (made compatible with a DC) or a DIB section (laid out as its BITMAPINFO said).
// 32-bit device bitmaps are top-down with cairo's stride, so that a DC draws on them directly.
#pragma once

#include <memory>
#include <vector>

#include "platform/gdi/GdiObject.h"
#include "platform/gdi/GdiPixels.h"

struct GdiBitmap final : GdiObject {
    GdiBitmap() : GdiObject(Kind::Bitmap) {}

    // Null when the size is not positive or exceeds the layer's cap, or bpp is not served.
    static std::unique_ptr<GdiBitmap> Make(int width, int height, int bpp, bool dib, bool topDown);

    PixelView View() const;
    BYTE* MemoryRow(int row) { return pixels.data() + stride * static_cast<size_t>(row); }
    BYTE* DeviceRow(int y) { return MemoryRow(topDown ? y : height - 1 - y); }
    bool IsMonoDevice() const { return bpp == 1 && !dib; }

    int width = 0, height = 0, bpp = 0;
    bool dib = false, topDown = true;
    size_t stride = 0;
    std::vector<BYTE> pixels;
    RGBQUAD colors[256]{};
    int numColors = 0;
};
