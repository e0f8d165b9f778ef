#include <gtest/gtest.h>

#include "imagelib/PixImage.h"
#include "imagelib/codecs/CodecTable.h"
#include "tests/support/TempDir.h"

namespace {

CPixImage Pattern(DWORD bpp)
{
    CPixImage img(19, 7, bpp);
    img.SetStdPalette();
    if (bpp == 1) {
        img.SetPaletteColor(0, 10, 20, 30);
        img.SetPaletteColor(1, 240, 230, 220);
    }
    for (long y = 0; y < 7; ++y)
        for (long x = 0; x < 19; ++x) {
            if (bpp < 24)
                img.SetPixelIndex(x, y, static_cast<BYTE>(x * 13 + y * 5));
            else
                img.SetPixelColor(x, y, RGB(static_cast<BYTE>(x * 13), static_cast<BYTE>(y * 37), static_cast<BYTE>(x ^ y)));
        }
    return img;
}

void ExpectSamePixels(CPixImage& a, CPixImage& b, bool withAlpha)
{
    ASSERT_EQ(a.GetWidth(), b.GetWidth());
    ASSERT_EQ(a.GetHeight(), b.GetHeight());
    for (long y = 0; y < static_cast<long>(a.GetHeight()); ++y)
        for (long x = 0; x < static_cast<long>(a.GetWidth()); ++x) {
            ASSERT_EQ(CPixImage::RGBQUADtoRGB(a.GetPixelColor(x, y, false)),
                      CPixImage::RGBQUADtoRGB(b.GetPixelColor(x, y, false)))
                << x << "," << y;
            if (withAlpha) {
                ASSERT_EQ(a.AlphaGet(x, y), b.AlphaGet(x, y));
            }
        }
}

TEST(PixRoundTrip, FileAtEveryPaletteAndColourDepth)
{
    if (!PixFindCodec(PIXFORMAT_BMP))
        GTEST_SKIP() << "no BMP codec";
    TempDir dir;
    for (DWORD bpp : {1u, 4u, 8u, 24u}) {
        CPixImage img = Pattern(bpp);
        std::string path = dir.File("p" + std::to_string(bpp) + ".bmp");
        ASSERT_TRUE(img.Save(path.c_str(), PIXFORMAT_BMP)) << img.GetLastError();
        CPixImage back;
        ASSERT_TRUE(back.Load(path.c_str(), PIXFORMAT_JPG)) << "a wrong format falls back to probing";
        EXPECT_EQ(back.GetType(), static_cast<DWORD>(PIXFORMAT_BMP));
        EXPECT_EQ(back.GetBpp(), bpp);
        ExpectSamePixels(img, back, false);
        if (bpp < 24) {
            for (long y = 0; y < 7; ++y)
                for (long x = 0; x < 19; ++x)
                    ASSERT_EQ(back.GetPixelIndex(x, y), img.GetPixelIndex(x, y));
        }
    }
}

TEST(PixRoundTrip, MemoryAndAlpha)
{
    CPixImage img = Pattern(24);
    img.AlphaCreate();
    for (long x = 0; x < 19; ++x)
        img.AlphaSet(x, 3, static_cast<BYTE>(x * 10));

    // Through a copy, a transfer and the RGBA dump.
    CPixImage copy(img);
    CPixImage moved;
    ASSERT_TRUE(moved.Transfer(copy));
    ExpectSamePixels(img, moved, true);
    BYTE* rgba = nullptr;
    long size = 0;
    ASSERT_TRUE(img.Encode2RGBA(rgba, size));
    ASSERT_EQ(size, 19 * 7 * 4);
    const BYTE* p = rgba + (3 * 19 + 5) * 4;
    EXPECT_EQ(p[3], 50);
    EXPECT_EQ(p[0], 5 * 13);
    img.FreeMemory(rgba);

    if (PixFindCodec(PIXFORMAT_PNG)) {
        BYTE* png = nullptr;
        ASSERT_TRUE(img.Encode(png, size, PIXFORMAT_PNG)) << img.GetLastError();
        CPixImage back(png, static_cast<DWORD>(size), PIXFORMAT_UNKNOWN);
        img.FreeMemory(png);
        ASSERT_TRUE(back.AlphaIsValid());
        ExpectSamePixels(img, back, true);
    }
    if (PixFindCodec(PIXFORMAT_BMP)) {
        BYTE* bmp = nullptr;
        ASSERT_TRUE(img.Encode(bmp, size, PIXFORMAT_BMP)) << img.GetLastError();
        CPixImage back(bmp, static_cast<DWORD>(size), PIXFORMAT_BMP);
        img.FreeMemory(bmp);
        ExpectSamePixels(img, back, false);
    }
}

} // namespace
