#include <gtest/gtest.h>

#include "imagelib/PixImage.h"
#include "tests/imagelib/ImageTestUtil.h"

using namespace imgtest;

namespace {

TEST(PixPixels, IndexRoundTripAtEveryPaletteDepth) {
    for (DWORD bpp : {1u, 4u, 8u}) {
        const BYTE mask = static_cast<BYTE>((1u << bpp) - 1);
        CPixImage img(13, 5, bpp);
        ForEachPixel(img, [&](long x, long y) { img.SetPixelIndex(x, y, static_cast<BYTE>((x * 7 + y * 3) & mask)); });
        ForEachPixel(img, [&](long x, long y) {
            ASSERT_EQ(img.GetPixelIndex(x, y), (x * 7 + y * 3) & mask) << bpp << " bpp at " << x << "," << y;
        });
        img.SetPixelIndex(13, 0, 1); // outside: ignored
        img.SetPixelIndex(-1, 0, 1);
    }
    // Bit and nibble order inside the byte.
    CPixImage one(8, 1, 1);
    one.SetPixelIndex(0, 0, 1);
    EXPECT_EQ(one.GetBits()[0], 0x80);
    CPixImage four(2, 1, 4);
    four.SetPixelIndex(1, 0, 0x1F);
    EXPECT_EQ(four.GetBits()[0], 0x0F);
}

TEST(PixPixels, ColourAndAlphaRoundTrip) {
    CPixImage img(3, 2, 24);
    img.SetPixelColor(2, 1, Quad(10, 20, 30, 40), true); // no plane yet: alpha is dropped
    EXPECT_TRUE(SameRgba(img.GetPixelColor(2, 1), Quad(10, 20, 30, 0)));
    img.AlphaCreate();
    EXPECT_EQ(img.AlphaGet(2, 1), 255);
    img.SetPixelColor(2, 1, Quad(10, 20, 30, 40), true);
    EXPECT_TRUE(SameRgba(img.GetPixelColor(2, 1, true), Quad(10, 20, 30, 40)));
    EXPECT_EQ(img.GetPixelColor(2, 1, false).rgbReserved, 0);
    const BYTE* p = img.GetBits(1) + 6;
    EXPECT_EQ(p[0], 30) << "blue first";
    EXPECT_EQ(p[2], 10);
    img.SetPixelColor(0, 0, RGB(100, 150, 200));
    EXPECT_EQ(img.GetPixelGray(0, 0), (306 * 100 + 601 * 150 + 117 * 200) >> 10);

    // Palette images take the nearest index and write no alpha.
    CPixImage pal(2, 2, 8);
    pal.SetGrayPalette();
    pal.AlphaCreate();
    pal.SetPixelColor(1, 1, Quad(77, 77, 77, 5), true);
    EXPECT_EQ(pal.GetPixelIndex(1, 1), 77);
    EXPECT_EQ(pal.AlphaGet(1, 1), 255);
}

TEST(PixPixels, OutsideThePictureRule) {
    CPixImage rgb(3, 3, 24);
    rgb.SetPixelColor(0, 0, RGB(1, 2, 3));
    rgb.AlphaCreate();
    rgb.AlphaSet(0, 0, 9);
    EXPECT_TRUE(SameRgba(rgb.GetPixelColor(-1, 0), Quad(1, 2, 3, 9)));
    EXPECT_TRUE(SameRgba(rgb.GetPixelColor(5, 7), Quad(1, 2, 3, 9)));
    rgb.SetTransIndex(0);
    rgb.SetTransColor(Quad(200, 201, 202));
    EXPECT_TRUE(SameRgba(rgb.GetPixelColor(-1, 0), Quad(200, 201, 202)));

    CPixImage one(9, 2, 1);
    one.SetPixelIndex(0, 0, 1);
    EXPECT_EQ(one.GetPixelIndex(-3, 0), 1) << "the bottom-left pixel";
    one.SetTransIndex(0);
    EXPECT_EQ(one.GetPixelIndex(-3, 0), 0);
    one.SetPaletteColor(0, 9, 8, 7);
    EXPECT_EQ(one.GetPixelColor(100, 100).rgbRed, 9);

    CPixImage empty;
    EXPECT_EQ(empty.GetPixelIndex(0, 0), 0);
    EXPECT_TRUE(SameRgba(empty.GetPixelColor(0, 0), Quad(0, 0, 0)));
}

TEST(PixPixels, NearestIndexTiesCacheAndImportantColours) {
    CPixImage img(1, 1, 8);
    img.SetPaletteColor(3, 50, 50, 50);
    img.SetPaletteColor(7, 50, 50, 50);
    EXPECT_EQ(img.GetNearestIndex(Quad(50, 50, 50)), 3);
    EXPECT_EQ(img.GetNearestIndex(Quad(50, 50, 51)), 3);
    img.SetPaletteColor(3, 0, 0, 0);
    EXPECT_EQ(img.GetNearestIndex(Quad(50, 50, 51)), 7) << "the setter invalidates the cache";

    CPixImage gray(1, 1, 8);
    gray.SetGrayPalette();
    gray.SetClrImportant(16);
    EXPECT_EQ(gray.GetClrImportant(), 16u);
    EXPECT_LE(gray.GetNearestIndex(Quad(250, 250, 250)), 15);
    gray.SetClrImportant(300);
    EXPECT_EQ(gray.GetClrImportant(), 0u);
    CPixImage four(1, 1, 4);
    four.SetClrImportant(20);
    EXPECT_EQ(four.GetClrImportant(), 16u);
}

TEST(PixPixels, PalettesAndConversions) {
    CPixImage four(2, 2, 4);
    four.SetGrayPalette();
    for (int i = 0; i < 16; ++i)
        ASSERT_EQ(four.GetPaletteColor(static_cast<BYTE>(i)).rgbGreen, 17 * i);
    four.SetStdPalette();
    EXPECT_TRUE(SameRgba(four.GetPaletteColor(7), Quad(192, 192, 192)));
    // The 256-entry table is built from ranges: check one entry of each.
    CPixImage eight(1, 1, 8);
    eight.SetStdPalette();
    EXPECT_TRUE(SameRgba(eight.GetPaletteColor(8), Quad(192, 220, 192)));
    EXPECT_TRUE(SameRgba(eight.GetPaletteColor(17), Quad(220, 146, 0)));
    EXPECT_TRUE(SameRgba(eight.GetPaletteColor(227), Quad(230, 230, 230)));
    EXPECT_TRUE(SameRgba(eight.GetPaletteColor(255), Quad(255, 255, 255)));
    EXPECT_FALSE(eight.IsGrayScale());
    eight.SetGrayPalette();
    EXPECT_TRUE(eight.IsGrayScale());

    CPixImage pal(3, 1, 8);
    pal.SetPaletteColor(1, 1, 1, 1);
    pal.SetPaletteColor(2, 2, 2, 2);
    pal.SetPixelIndex(0, 0, 1);
    pal.SetPixelIndex(1, 0, 2);
    pal.SwapIndex(1, 2);
    EXPECT_EQ(pal.GetPixelIndex(0, 0), 2);
    EXPECT_EQ(pal.GetPixelIndex(1, 0), 1);
    EXPECT_EQ(pal.GetPixelColor(0, 0).rgbRed, 1) << "colours stay where they were";
}

TEST(PixPixels, DrawLineCountsAndTransparency) {
    CPixImage img(12, 6, 8);
    img.DrawLine(0, 0, 0, 0, RGB(255, 255, 255));
    img.SetPaletteColor(1, 255, 255, 255);
    img.Clear(0);
    img.DrawLine(0, 0, 0, 0, RGB(255, 255, 255));
    auto count = [&] {
        int n = 0;
        ForEachPixel(img, [&](long x, long y) { n += img.GetPixelIndex(x, y) == 1; });
        return n;
    };
    EXPECT_EQ(count(), 1);
    img.Clear(0);
    img.DrawLine(0, 9, 0, 3, RGB(255, 255, 255));
    EXPECT_EQ(count(), 10);
    EXPECT_EQ(img.GetPixelIndex(9, 3), 1);
    img.DrawLine(-5, 20, 5, 5, RGB(255, 255, 255)); // clipped, no crash

    img.SetTransIndex(1);
    EXPECT_TRUE(img.IsTransparent(9, 3));
    EXPECT_FALSE(img.IsTransparent(1, 4));
}

TEST(PixAlpha, PlaneOperations) {
    CPixImage img(3, 2, 24);
    img.AlphaCreate();
    img.AlphaSet(0, 0, 1);
    img.AlphaCreate();
    EXPECT_EQ(img.AlphaGet(0, 0), 1) << "an existing plane is kept";
    EXPECT_EQ(img.AlphaGet(-1, 0), 0);
    img.AlphaSet(5, 5, 7);
    img.AlphaSet(2, 1, 200);
    ASSERT_TRUE(img.AlphaFlip());
    EXPECT_EQ(img.AlphaGet(2, 0), 200);
    ASSERT_TRUE(img.AlphaFlip());
    EXPECT_EQ(img.AlphaGet(2, 1), 200);
    ASSERT_TRUE(img.AlphaMirror());
    EXPECT_EQ(img.AlphaGet(0, 1), 200);
    img.AlphaInvert();
    EXPECT_EQ(img.AlphaGet(0, 1), 55);

    CPixImage split;
    ASSERT_TRUE(img.AlphaSplit(&split));
    EXPECT_EQ(split.GetBpp(), 8);
    EXPECT_EQ(split.GetPixelIndex(0, 1), 55);
    CPixImage other(3, 2, 24);
    ASSERT_TRUE(other.AlphaSet(split));
    EXPECT_EQ(other.AlphaGet(0, 1), 55);
    CPixImage copy(3, 2, 8);
    ASSERT_TRUE(copy.AlphaCopy(img));
    EXPECT_EQ(copy.AlphaGet(0, 1), 55);
    CPixImage small(2, 2, 24);
    EXPECT_FALSE(small.AlphaCopy(img));
}

TEST(PixAlpha, StripFlattensAgainstTheTransparentColour) {
    CPixImage img(2, 2, 24);
    img.SetPixelColor(0, 0, RGB(10, 20, 30));
    img.SetTransColor(Quad(255, 255, 255));
    img.AlphaCreate();
    img.AlphaStrip();
    EXPECT_FALSE(img.AlphaIsValid());
    EXPECT_TRUE(SameRgba(img.GetPixelColor(0, 0), Quad(10, 20, 30)));

    img.AlphaCreate();
    img.AlphaClear();
    img.AlphaStrip();
    EXPECT_TRUE(SameRgba(img.GetPixelColor(0, 0), Quad(255, 255, 255)));

    CPixImage plain(2, 2, 24);
    plain.AlphaStrip();
    EXPECT_TRUE(plain.IsValid());

    CPixImage pal(2, 2, 8);
    pal.SetGrayPalette();
    pal.SetPixelIndex(1, 1, 100);
    pal.AlphaCreate();
    pal.AlphaStrip();
    EXPECT_EQ(pal.GetBpp(), 24);
    EXPECT_FALSE(pal.AlphaIsValid());
    EXPECT_TRUE(SameRgba(pal.GetPixelColor(1, 1), Quad(100, 100, 100)));
}

} // namespace
