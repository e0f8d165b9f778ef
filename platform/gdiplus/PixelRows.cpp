#include "platform/gdiplus/PixelRows.h"

#include <algorithm>

namespace Gdiplus::detail {

void ReadPixelRow(const uint32_t* src, bool surfaceHasAlpha, unsigned char* dst, PixelFormat format, int count) {
    switch (format) {
    case PixelFormat24bppRGB:
        if (!surfaceHasAlpha) {
            for (int i = 0; i < count; ++i, dst += 3) {
                const uint32_t p = src[i];
                dst[0] = static_cast<unsigned char>(p);
                dst[1] = static_cast<unsigned char>(p >> 8);
                dst[2] = static_cast<unsigned char>(p >> 16);
            }
        } else {
            for (int i = 0; i < count; ++i, dst += 3) {
                const uint32_t p = Unpremultiply(src[i]);
                dst[0] = static_cast<unsigned char>(p);
                dst[1] = static_cast<unsigned char>(p >> 8);
                dst[2] = static_cast<unsigned char>(p >> 16);
            }
        }
        break;
    case PixelFormat32bppRGB:
    case PixelFormat32bppARGB:
    case PixelFormat32bppPARGB:
        for (int i = 0; i < count; ++i, dst += 4) {
            uint32_t p = src[i];
            if (surfaceHasAlpha && format != PixelFormat32bppPARGB) p = Unpremultiply(p);
            if (!surfaceHasAlpha || format == PixelFormat32bppRGB) p |= 0xFF000000u;
            dst[0] = static_cast<unsigned char>(p);
            dst[1] = static_cast<unsigned char>(p >> 8);
            dst[2] = static_cast<unsigned char>(p >> 16);
            dst[3] = static_cast<unsigned char>(p >> 24);
        }
        break;
    default:
        break;
    }
}

void WritePixelRow(const unsigned char* src, PixelFormat format, uint32_t* dst, bool surfaceHasAlpha, int count) {
    switch (format) {
    case PixelFormat24bppRGB:
        for (int i = 0; i < count; ++i, src += 3)
            dst[i] = 0xFF000000u | (static_cast<uint32_t>(src[2]) << 16) | (static_cast<uint32_t>(src[1]) << 8) |
                     src[0];
        break;
    case PixelFormat32bppRGB:
    case PixelFormat32bppARGB:
    case PixelFormat32bppPARGB:
        for (int i = 0; i < count; ++i, src += 4) {
            uint32_t p = (static_cast<uint32_t>(src[3]) << 24) | (static_cast<uint32_t>(src[2]) << 16) |
                         (static_cast<uint32_t>(src[1]) << 8) | src[0];
            if (format == PixelFormat32bppRGB) {
                p |= 0xFF000000u;
            } else if (format == PixelFormat32bppARGB) {
                p = surfaceHasAlpha ? Premultiply(p) : (p | 0xFF000000u);
            } else {
                // Premultiplied input: keep colours within alpha so the surface stays valid.
                const uint32_t a = p >> 24;
                const uint32_t r = std::min((p >> 16) & 0xFF, a), g = std::min((p >> 8) & 0xFF, a),
                               b = std::min(p & 0xFF, a);
                p = (a << 24) | (r << 16) | (g << 8) | b;
                if (!surfaceHasAlpha) p = Unpremultiply(p) | 0xFF000000u;
            }
            dst[i] = p;
        }
        break;
    default:
        break;
    }
}

} // namespace Gdiplus::detail
