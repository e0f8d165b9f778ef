#include <gtest/gtest.h>

#include "tests/support/MissingDependency.h"
#include "GdiplusTestUtil.h"
#include "imagelib/PixImage.h"
#include "imagelib/codecs/CodecTable.h"
#include "platform/gdiplus/Bitmap.h"
#include "platform/gdiplus/BitmapLoader.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/ImageProbe.h"
#include "tests/support/TempDir.h"

using namespace Gdiplus;
using namespace gdiplus_test;

TEST(GdiplusLoad, ConvertsImagesBottomUpWithTheirTransparency) {
    // Image rows count from the bottom: (0, 0) is the bottom-left pixel.
    CPixImage rgb(3, 2, 24);
    rgb.SetPixelColor(0, 0, CPixImage::RGBtoRGBQUAD(RGB(10, 20, 30)));
    rgb.SetPixelColor(2, 1, CPixImage::RGBtoRGBQUAD(RGB(200, 100, 50)));
    Bitmap a(1, 1);
    ASSERT_EQ(BitmapLoader::FromImage(rgb, a), Ok);
    EXPECT_EQ(a.GetPixelFormat(), PixelFormat24bppRGB);
    ExpectPixels(a, {{0, 1, 0xFF0A141Eu}, {2, 0, 0xFFC86432u}});

    rgb.AlphaCreate();
    rgb.AlphaSet(255);
    rgb.AlphaSet(0, 0, 128);
    ASSERT_EQ(BitmapLoader::FromImage(rgb, a), Ok);
    EXPECT_EQ(a.GetPixelFormat(), PixelFormat32bppARGB);
    EXPECT_TRUE(Near(PixelAt(a, 0, 1), 0x800A141Eu, 1));
    EXPECT_EQ(PixelAt(a, 2, 0), 0xFFC86432u);

    // Palette pictures of 1, 4 and 8 bits, the transparent index becoming transparent.
    for (DWORD bpp : {1u, 4u, 8u}) {
        CPixImage pal(9, 1, bpp);
        ASSERT_TRUE(pal.IsValid());
        pal.SetPaletteColor(0, 0, 0, 255);
        pal.SetPaletteColor(1, 255, 0, 0);
        for (long x = 0; x < 9; ++x) pal.SetPixelIndex(x, 0, static_cast<BYTE>(x % 2));
        Bitmap b(1, 1);
        ASSERT_EQ(BitmapLoader::FromImage(pal, b), Ok) << bpp;
        EXPECT_EQ(PixelAt(b, 0, 0), 0xFF0000FFu) << bpp;
        EXPECT_EQ(PixelAt(b, 7, 0), 0xFFFF0000u) << bpp;
        pal.SetTransIndex(0);
        ASSERT_EQ(BitmapLoader::FromImage(pal, b), Ok);
        EXPECT_EQ(PixelAt(b, 8, 0) >> 24, 0u) << bpp;
        EXPECT_EQ(PixelAt(b, 1, 0), 0xFFFF0000u) << bpp;
    }

    CPixImage empty;
    Bitmap c(1, 1);
    EXPECT_EQ(BitmapLoader::FromImage(empty, c), UnknownImageFormat);
    EXPECT_FALSE(c.IsValid());
}

TEST(GdiplusLoad, BadFilesGiveInvalidBitmaps) {
    TempDir dir;
    Bitmap missing(dir.File("none.jpg"));
    EXPECT_FALSE(missing.IsValid());
    EXPECT_EQ(missing.GetLastStatus(), FileNotFound);
    EXPECT_FALSE(IsLoadableImage(dir.File("none.jpg")));
    EXPECT_FALSE(IsLoadableImage(dir.Path().string()));

    WriteFileBytes(dir.File("junk.bmp"), std::string("BM\x10\0\0\0not a picture at all", 24));
    Bitmap junk(dir.File("junk.bmp"));
    EXPECT_FALSE(junk.IsValid());
    EXPECT_EQ(junk.GetLastStatus(), UnknownImageFormat);
    EXPECT_FALSE(IsLoadableImage(dir.File("junk.bmp")));
    // An invalid bitmap draws nothing and harms nothing.
    Bitmap frame(4, 4, PixelFormat24bppRGB);
    Graphics g(&frame);
    EXPECT_EQ(g.DrawImage(&junk, RectF(0, 0, 4, 4)), InvalidParameter);
    EXPECT_TRUE(g.IsHealthy());
}

TEST(GdiplusLoad, SavedCoverIsA24BitBmpThatLoadsBack) {
    TempDir dir;
    Bitmap cover(3, 2, PixelFormat24bppRGB);
    Graphics(&cover).Clear(Color(255, 1, 2, 3));
    cover.SetPixel(0, 1, Color(255, 9, 8, 7)); // bottom-left: first pixel in the file
    const std::string path = dir.File("cover_x.bmp");
    ASSERT_EQ(cover.Save(path, "image/bmp"), Ok);
    const std::string bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 54u + 2 * 12);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(bytes[22]), 2);  // height, bottom-up
    EXPECT_EQ(static_cast<unsigned char>(bytes[54]), 7);
    EXPECT_EQ(static_cast<unsigned char>(bytes[66]), 3);
    EXPECT_EQ(cover.Save(dir.File("x.png"), "image/png"), UnknownImageFormat);
    EXPECT_NE(cover.Save(dir.File("missing/dir/x.bmp"), "image/bmp"), Ok);

    if (!PixFindCodec(PIXFORMAT_BMP)) SKIP_OR_FAIL_IN_CI("no BMP codec in the image library");
    EXPECT_TRUE(IsLoadableImage(path));
    Bitmap back(path);
    ASSERT_TRUE(back.IsValid());
    EXPECT_EQ(back.GetWidth(), 3u);
    ExpectPixels(back, {{0, 1, 0xFF090807u}, {2, 0, 0xFF010203u}});
}
