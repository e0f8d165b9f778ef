// Small helpers for the drawing-layer tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>

#include "platform/gdiplus/Bitmap.h"

namespace gdiplus_test {

constexpr Gdiplus::ARGB kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF,
                        kBlack = 0xFF000000;

inline Gdiplus::ARGB PixelAt(const Gdiplus::Bitmap& bmp, int x, int y) {
    Gdiplus::Color c;
    EXPECT_EQ(bmp.GetPixel(x, y, &c), Gdiplus::Ok) << "at " << x << "," << y;
    return c.GetValue();
}

struct Pixel {
    int x, y;
    Gdiplus::ARGB colour;
};

// Checks a table of pixels of `bmp`.
inline void ExpectPixels(const Gdiplus::Bitmap& bmp, std::initializer_list<Pixel> pixels) {
    for (const Pixel& p : pixels) EXPECT_EQ(PixelAt(bmp, p.x, p.y), p.colour) << "at " << p.x << "," << p.y;
}

// True when every channel is within `tolerance` of the expected colour.
inline ::testing::AssertionResult Near(Gdiplus::ARGB actual, Gdiplus::ARGB expected, int tolerance = 2) {
    for (int shift = 0; shift < 32; shift += 8) {
        const int a = (actual >> shift) & 0xFF, e = (expected >> shift) & 0xFF;
        if (std::abs(a - e) > tolerance)
            return ::testing::AssertionFailure() << std::hex << "0x" << actual << " is not near 0x" << expected;
    }
    return ::testing::AssertionSuccess();
}

} // namespace gdiplus_test
