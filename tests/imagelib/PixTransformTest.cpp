#include <gtest/gtest.h>

#include <functional>

#include "imagelib/PixImage.h"

namespace {

// A W x H picture whose every pixel differs as far as the depth allows, with alpha.
CPixImage MakePattern(long w, long h, DWORD bpp) {
    CPixImage img(static_cast<DWORD>(w), static_cast<DWORD>(h), bpp, PIXFORMAT_PNG);
    img.SetStdPalette();
    img.SetTransIndex(bpp < 24 ? 1 : -1);
    img.AlphaCreate();
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x) {
            const long v = x * 31 + y * 17 + (x * y) % 7;
            if (bpp < 24)
                img.SetPixelIndex(x, y, static_cast<BYTE>(v));
            else
                img.SetPixelColor(x, y, RGB(static_cast<BYTE>(v), static_cast<BYTE>(v >> 8), static_cast<BYTE>(x + 2 * y)));
            img.AlphaSet(x, y, static_cast<BYTE>(v * 3));
        }
    return img;
}

unsigned Pixel(CPixImage& img, long x, long y) {
    if (img.GetBpp() < 24)
        return img.GetPixelIndex(x, y);
    return CPixImage::RGBQUADtoRGB(img.GetPixelColor(x, y, false));
}

using Mapping = std::function<void(long x, long y, long w, long h, long& sx, long& sy)>;

void ExpectMapped(CPixImage& src, CPixImage& out, const Mapping& map, bool swapSides) {
    const long w = static_cast<long>(src.GetWidth()), h = static_cast<long>(src.GetHeight());
    ASSERT_EQ(out.GetWidth(), static_cast<DWORD>(swapSides ? h : w));
    ASSERT_EQ(out.GetHeight(), static_cast<DWORD>(swapSides ? w : h));
    ASSERT_EQ(out.GetBpp(), src.GetBpp());
    ASSERT_TRUE(out.IsSamePalette(src, true) || src.GetNumColors() == 0);
    ASSERT_TRUE(out.AlphaIsValid());
    EXPECT_EQ(out.GetTransIndex(), src.GetTransIndex());
    EXPECT_EQ(out.GetType(), static_cast<DWORD>(PIXFORMAT_PNG));
    for (long y = 0; y < static_cast<long>(out.GetHeight()); ++y)
        for (long x = 0; x < static_cast<long>(out.GetWidth()); ++x) {
            long sx = 0, sy = 0;
            map(x, y, w, h, sx, sy);
            ASSERT_EQ(Pixel(out, x, y), Pixel(src, sx, sy)) << "bpp " << src.GetBpp() << " at " << x << "," << y;
            ASSERT_EQ(out.AlphaGet(x, y), src.AlphaGet(sx, sy));
        }
}

struct Operation {
    const char* name;
    bool (*run)(CPixImage&);
    void (*map)(long x, long y, long w, long h, long& sx, long& sy); // output pixel -> source pixel
    bool swapSides;
    long progress; // after a 70 x 67 picture: the last block or row started, in percent
};

const Operation kOperations[] = {
    {"Flip", [](CPixImage& i) { return i.Flip(); },
     [](long x, long y, long, long h, long& sx, long& sy) { sx = x; sy = h - 1 - y; }, false, -1},
    {"Mirror", [](CPixImage& i) { return i.Mirror(); },
     [](long x, long y, long w, long, long& sx, long& sy) { sx = w - 1 - x; sy = y; }, false, -1},
    {"RotateLeft", [](CPixImage& i) { return i.RotateLeft(); },
     [](long x, long y, long, long h, long& sx, long& sy) { sx = y; sy = h - 1 - x; }, true, 100 * 64 / 67},
    {"RotateRight", [](CPixImage& i) { return i.RotateRight(); },
     [](long x, long y, long w, long, long& sx, long& sy) { sx = w - 1 - y; sy = x; }, true, 100 * 64 / 70},
    {"Rotate180", [](CPixImage& i) { return i.Rotate180(); },
     [](long x, long y, long w, long h, long& sx, long& sy) { sx = w - 1 - x; sy = h - 1 - y; }, false, 100 * 66 / 67},
};

class PixTransformDepth : public ::testing::TestWithParam<DWORD> {};

TEST_P(PixTransformDepth, EveryOperationMapsEveryPixel) {
    // 13 x 5 and 70 x 67: widths off the byte boundary, and more than one 64 x 64 block.
    for (auto [w, h] : {std::pair<long, long>{13, 5}, {70, 67}}) {
        CPixImage src = MakePattern(w, h, GetParam());
        for (const Operation& op : kOperations) {
            SCOPED_TRACE(op.name);
            CPixImage out(src), empty;
            ASSERT_TRUE(op.run(out) && !op.run(empty));
            ExpectMapped(src, out, op.map, op.swapSides);
            // The turns report progress in the picture itself while they run.
            EXPECT_TRUE(w != 70 || op.progress < 0 || out.GetProgress() == op.progress);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, PixTransformDepth, ::testing::Values(1u, 4u, 8u, 24u));

TEST(PixTransform, TurnIntoAnotherImage) {
    CPixImage img(3, 2, 24), other(5, 5, 8);
    img.SetPixelColor(0, 0, RGB(4, 0, 0));
    ASSERT_TRUE(img.RotateRight(&other));
    EXPECT_EQ(img.GetWidth(), 3u) << "source unchanged";
    ASSERT_TRUE(other.GetWidth() == 2 && other.GetBpp() == 24);
    EXPECT_EQ(CPixImage::RGBQUADtoRGB(other.GetPixelColor(0, 2)), RGB(4, 0, 0)) << "bottom-left lands top-left";
}

} // namespace
