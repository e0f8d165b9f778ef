// Conversions between cairo's native pixels (32-bit words; RGB24 with an unused top byte, ARGB32
// premultiplied) and packed pixel rows in the lock formats.
#pragma once

#include <cstdint>

#include "platform/gdiplus/GdiplusTypes.h"

namespace Gdiplus::detail {

// From `count` surface pixels into packed pixels of `format`.
void ReadPixelRow(const uint32_t* src, bool surfaceHasAlpha, unsigned char* dst, PixelFormat format, int count);
// From packed pixels of `format` into `count` surface pixels.
void WritePixelRow(const unsigned char* src, PixelFormat format, uint32_t* dst, bool surfaceHasAlpha, int count);

inline uint32_t Premultiply(uint32_t argb) {
    const uint32_t a = argb >> 24;
    if (a == 255) return argb;
    if (a == 0) return 0;
    auto mul = [a](uint32_t c) {
        const uint32_t t = c * a + 128;
        return (t + (t >> 8)) >> 8;
    };
    return (a << 24) | (mul((argb >> 16) & 0xFF) << 16) | (mul((argb >> 8) & 0xFF) << 8) | mul(argb & 0xFF);
}

inline uint32_t Unpremultiply(uint32_t p) {
    const uint32_t a = p >> 24;
    if (a == 255) return p;
    if (a == 0) return 0;
    auto div = [a](uint32_t c) {
        const uint32_t v = (c * 255 + a / 2) / a;
        return v > 255 ? 255u : v;
    };
    return (a << 24) | (div((p >> 16) & 0xFF) << 16) | (div((p >> 8) & 0xFF) << 8) | div(p & 0xFF);
}

} // namespace Gdiplus::detail
