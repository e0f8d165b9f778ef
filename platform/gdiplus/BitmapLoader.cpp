#include "platform/gdiplus/BitmapLoader.h"

#include "imagelib/PixImage.h"
#include "platform/gdiplus/Bitmap.h"
#include "platform/gdiplus/PixelRows.h"
#include "platform/win/FileSystem.h"

namespace Gdiplus {

Status BitmapLoader::Load(const std::string& path, Bitmap& target) {
    if (!IsRegularFile(path)) return FileNotFound;
    CPixImage image;
    if (!image.Load(path.c_str(), 0) || !image.IsValid()) return UnknownImageFormat;
    return FromImage(image, target);
}

Status BitmapLoader::FromImage(CPixImage& image, Bitmap& target) {
    target.Invalidate();
    if (!image.IsValid()) return target.Set(UnknownImageFormat);
    const uint64_t w64 = image.GetWidth(), h64 = image.GetHeight();
    const int bpp = image.GetBpp();
    if (w64 == 0 || h64 == 0 || w64 > 0x7FFFFFFF || h64 > 0x7FFFFFFF || (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24))
        return target.Set(UnknownImageFormat);
    const INT w = static_cast<INT>(w64), h = static_cast<INT>(h64);

    const RGBQUAD* palette = bpp <= 8 ? image.GetPalette() : nullptr;
    const DWORD colours = palette ? image.GetNumColors() : 0;
    if (bpp <= 8 && !palette) return target.Set(UnknownImageFormat);
    const BYTE* alphaPlane = image.AlphaIsValid() ? image.AlphaGetPointer(0, 0) : nullptr;
    const bool paletteAlpha = palette && image.AlphaPaletteIsEnabled() && image.AlphaPaletteIsValid();
    const long transIndex = (palette && image.IsTransparent()) ? image.GetTransIndex() : -1;
    const uint32_t alphaMax = image.AlphaGetMax();
    const bool hasAlpha = alphaPlane || paletteAlpha || transIndex >= 0;

    target.Create(w, h, hasAlpha ? PixelFormat32bppARGB : PixelFormat24bppRGB);
    if (!target.IsValid()) return target.GetLastStatus();

    cairo_surface_flush(target.CairoSurface());
    for (INT y = 0; y < h; ++y) {
        // Image rows run bottom-up.
        const DWORD row = static_cast<DWORD>(h - 1 - y);
        const BYTE* src = image.GetBits(row);
        uint32_t* dst = target.SurfaceRow(y);
        if (!src) {
            target.Invalidate();
            return target.Set(UnknownImageFormat);
        }
        const BYTE* alphaRow = alphaPlane ? alphaPlane + static_cast<size_t>(row) * static_cast<size_t>(w) : nullptr;
        for (INT x = 0; x < w; ++x) {
            uint32_t b, g, r, a = 255;
            if (bpp == 24) {
                b = src[3 * x];
                g = src[3 * x + 1];
                r = src[3 * x + 2];
            } else {
                uint32_t index;
                if (bpp == 8)
                    index = src[x];
                else if (bpp == 4)
                    index = (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
                else
                    index = (src[x >> 3] >> (7 - (x & 7))) & 0x01;
                if (index < colours) {
                    const RGBQUAD& c = palette[index];
                    b = c.rgbBlue;
                    g = c.rgbGreen;
                    r = c.rgbRed;
                    if (paletteAlpha) a = c.rgbReserved;
                } else {
                    b = g = r = 0;
                }
                if (static_cast<long>(index) == transIndex) a = 0;
            }
            if (alphaRow) a = a * alphaRow[x] / 255;
            if (hasAlpha && alphaMax < 255) a = a * alphaMax / 255;
            const uint32_t argb = (a << 24) | (r << 16) | (g << 8) | b;
            dst[x] = hasAlpha ? detail::Premultiply(argb) : argb;
        }
    }
    cairo_surface_mark_dirty(target.CairoSurface());
    return target.Set(Ok);
}

} // namespace Gdiplus
