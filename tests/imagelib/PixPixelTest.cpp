#include <gtest/gtest.h>

#include "imagelib/PixImage.h"
#include "tests/imagelib/ImageTestUtil.h"

using namespace imgtest;

namespace {

TEST(PixPixels, IndexRoundTripAtEveryPaletteDepth) {
    for (DWORD bpp : {1u, 4u, 8u}) {
        const BYTE mask = static_cast<BYTE>((1u << bpp) - 1);
        CPixImage img(13, 5, bpp);
        ForEachPixel(
            img, [&](long x, long y) { img.SetPixelIndex(x, y, static_cast<BYTE>((x * 7 + y * 3) & mask)); });
        img.SetPixelIndex(13, 0, 1); // outside: ignored
        img.SetPixelIndex(-1, 0, 1);
        ForEachPixel(img, [&](long x, long y) {
            ASSERT_EQ(img.GetPixelIndex(x, y), (x * 7 + y * 3) & mask) << bpp << " bpp at " << x << "," << y;
        });
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
    // grey (306 r + 601 g + 117 b) >> 10, where one more in any weight would carry over
    for (auto [c, grey] : {std::pair{RGB(255, 1, 0), 76}, {RGB(0, 255, 1), 149}, {RGB(0, 3, 255), 30}}) {
        img.SetPixelColor(1, 0, c);
        EXPECT_EQ(img.GetPixelGray(1, 0), grey);
    }
    img.BlendPixelColor(1, 0, Quad(100, 200, 0), 0.25f); // (old x 192 + new x 64) >> 8
    EXPECT_EQ(Rgb(img, 1, 0), RGB(25, 52, 191));

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
    img.SetPaletteColor(9, 60, 60, 60);
    EXPECT_EQ(img.GetNearestIndex(Quad(50, 50, 50)), 3);
    EXPECT_EQ(img.GetNearestIndex(Quad(50, 50, 51)), 3);
    EXPECT_EQ(img.GetNearestIndex(Quad(57, 57, 57)), 9);
    img.SetPaletteColor(3, 0, 0, 0);
    EXPECT_EQ(img.GetNearestIndex(Quad(57, 57, 57)), 9);
    EXPECT_EQ(img.GetNearestIndex(Quad(50, 50, 51)), 7) << "the setter invalidates the cache";

    CPixImage gray(1, 1, 8);
    gray.SetGrayPalette();
    gray.SetClrImportant(16);
    EXPECT_EQ(gray.GetClrImportant(), 16u);
    EXPECT_EQ(gray.GetNearestIndex(Quad(250, 250, 250)), 15) << "only the important colours";
    EXPECT_EQ(gray.GetNearestIndex(Quad(6, 7, 7)), 7);
    gray.SetClrImportant(300);
    EXPECT_EQ(gray.GetClrImportant(), 0u);
    EXPECT_EQ(gray.GetNearestIndex(Quad(250, 250, 251)), 250);
    CPixImage four(1, 1, 4), one(1, 1, 1);
    four.SetClrImportant(20); // never past the palette
    one.SetClrImportant(5);
    EXPECT_EQ(four.GetClrImportant(), 16u);
    EXPECT_EQ(one.GetClrImportant(), 2u);
}

TEST(PixPixels, PalettesSettersAndSwaps) {
    CPixImage four(2, 2, 4), eight(1, 1, 8), pal(3, 1, 8);
    EXPECT_EQ(four.GetNearestIndex(Quad(17, 17, 17)), 0) << "a new palette is black";
    four.SetGrayPalette();
    EXPECT_EQ(four.GetNearestIndex(Quad(17, 17, 17)), 1) << "the setter drops the cached answer";
    for (int i = 0; i < 16; ++i)
        ASSERT_EQ(four.GetPaletteColor(static_cast<BYTE>(i)).rgbGreen, 17 * i);
    four.SetStdPalette();
    eight.SetPaletteColor(0, 1, 2, 3);
    eight.SetStdPalette();
    // the 256-entry table is built from ranges: one entry of each
    EXPECT_TRUE(SameRgba(four.GetPaletteColor(7), Quad(192, 192, 192)));
    for (auto [i, c] : {std::pair{0, Quad(0, 0, 0)}, {8, Quad(192, 220, 192)}, {10, Quad(255, 240, 212)},
                        {17, Quad(220, 146, 0)}, {19, Quad(0, 0, 51)}, {225, Quad(255, 204, 153)},
                        {227, Quad(230, 230, 230)}, {246, Quad(255, 251, 240)}, {255, Quad(255, 255, 255)}})
        EXPECT_TRUE(SameRgba(eight.GetPaletteColor(static_cast<BYTE>(i)), c)) << i;
    EXPECT_FALSE(eight.IsGrayScale());
    CPixImage copy(eight);
    EXPECT_TRUE(eight.IsSamePalette(copy));
    copy.SetPaletteColor(3, 128, 128, 0, 9); // the same colour, another alpha
    EXPECT_TRUE(eight.IsSamePalette(copy, false));
    EXPECT_FALSE(eight.IsSamePalette(copy, true));
    eight.SetGrayPalette();
    EXPECT_TRUE(eight.IsGrayScale());
    CPixImage::rgb_color rgb[2] = {{9, 8, 7}, {6, 5, 4}};
    eight.SetPalette(rgb, 2);
    EXPECT_TRUE(SameRgba(eight.GetPaletteColor(0), Quad(9, 8, 7)));
    EXPECT_TRUE(SameRgba(eight.GetPaletteColor(2), Quad(2, 2, 2)));

    pal.SetPaletteColor(1, 1, 1, 1);
    pal.SetPixelIndex(0, 0, 1);
    pal.SetPixelIndex(1, 0, 2);
    pal.SwapIndex(1, 2);
    EXPECT_EQ(pal.GetPixelIndex(0, 0), 2);
    EXPECT_EQ(pal.GetPixelIndex(1, 0), 1);
    EXPECT_EQ(pal.GetPixelColor(0, 0).rgbRed, 1) << "colours stay where they were";
}

TEST(PixPixels, DrawLineSetsItsPixelsAndNothingOutsideThePicture) {
    struct Case {
        int x0, x1, y0, y1; // both x first, as the call takes them
        bool (*on)(long x, long y);
    } cases[] = {
        {0, 0, 0, 0, [](long x, long y) { return x == 0 && y == 0; }},
        {0, 9, 0, 3, [](long x, long y) { return x <= 9 && y == (x + 1) / 3; }},
        // clipped on the left and at the bottom, and leaving at the top right
        {-3, 9, -1, 5, [](long x, long y) { return x <= 9 && y == (x + 2) / 2; }},
        {6, 30, 0, 24, [](long x, long y) { return x - y == 6; }},
        {11, -4, 5, 5, [](long, long y) { return y == 5; }},
    };
    for (const Case& c : cases) {
        CPixImage img(12, 6, 8);
        img.SetPaletteColor(1, 255, 255, 255);
        img.DrawLine(c.x0, c.x1, c.y0, c.y1, RGB(255, 255, 255));
        ForEachPixel(img, [&](long x, long y) {
            EXPECT_EQ(img.GetPixelIndex(x, y), c.on(x, y) ? 1 : 0)
                << c.x0 << "," << c.y0 << " at " << x << "," << y;
        });
        img.SetTransIndex(1);
        EXPECT_EQ(img.IsTransparent(9, 5), c.on(9, 5));
    }
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
    ASSERT_TRUE(img.AlphaMirror());
    EXPECT_EQ(img.AlphaGet(0, 1), 200);
    img.AlphaInvert();
    EXPECT_EQ(img.AlphaGet(0, 1), 55);
    EXPECT_TRUE(img.IsTransparent(1, 0));
    EXPECT_FALSE(img.IsTransparent(0, 1));

    CPixImage copy(3, 2, 8);
    ASSERT_TRUE(copy.AlphaCopy(img));
    EXPECT_EQ(copy.AlphaGet(0, 1), 55);
    CPixImage small(2, 2, 24);
    EXPECT_FALSE(small.AlphaCopy(img));
}

TEST(PixAlpha, StripBlendsIntoTheTransparentColour) {
    // alpha 0, 128 and 255 against (40, 80, 120): (colour x a + background x (255 - a)) / 255
    const RGBQUAD colours[3] = {Quad(10, 20, 30, 0), Quad(200, 100, 50, 128), Quad(0, 0, 255, 255)};
    const COLORREF want[3] = {RGB(40, 80, 120), RGB(120, 90, 84), RGB(0, 0, 255)};
    CPixImage img(3, 1, 24);
    img.AlphaCreate();
    for (long x = 0; x < 3; ++x)
        img.SetPixelColor(x, 0, colours[x], true);
    img.SetTransColor(Quad(40, 80, 120));
    img.AlphaStrip();
    EXPECT_FALSE(img.AlphaIsValid());
    for (long x = 0; x < 3; ++x)
        EXPECT_EQ(Rgb(img, x, 0), want[x]);
    img.AlphaStrip(); // no plane: nothing changes
    EXPECT_EQ(Rgb(img, 1, 0), RGB(120, 90, 84));

    // alpha 128 on a half scale is a quarter: (100 x 64 + 0 x 191) / 255
    CPixImage pal(2, 2, 8);
    pal.SetGrayPalette();
    pal.SetPixelIndex(1, 1, 100);
    pal.AlphaCreate();
    pal.AlphaSet(1, 1, 128);
    pal.AlphaSetMax(128);
    pal.SetTransColor(Quad(0, 0, 0));
    pal.AlphaStrip();
    EXPECT_EQ(pal.GetBpp(), 24);
    EXPECT_FALSE(pal.AlphaIsValid());
    EXPECT_EQ(Rgb(pal, 1, 1), RGB(25, 25, 25));
}

} // namespace
