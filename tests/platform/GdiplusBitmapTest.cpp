#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "GdiplusTestUtil.h"
#include "platform/gdiplus/Bitmap.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/NativePixels.h"

using namespace Gdiplus;
using namespace gdiplus_test;

TEST(GdiplusBitmap, NewBitmapsAndInvalidSizes) {
    Bitmap rgb(5, 3, PixelFormat24bppRGB), argb(2, 2, PixelFormat32bppARGB);
    ASSERT_TRUE(rgb.IsValid());
    EXPECT_EQ(PixelAt(rgb, 4, 2), 0xFF000000u);
    EXPECT_EQ(rgb.GetFlags() & ImageFlagsHasAlpha, 0u);
    EXPECT_EQ(PixelAt(argb, 1, 1), 0x00000000u);
    EXPECT_NE(argb.GetFlags() & ImageFlagsHasAlpha, 0u);

    for (auto [w, h] : {std::pair{0, 4}, {4, 0}, {-3, 4}, {40000, 2}, {30000, 30000}}) {
        Bitmap bad(w, h, PixelFormat24bppRGB);
        EXPECT_FALSE(bad.IsValid());
        EXPECT_NE(bad.GetLastStatus(), Ok);
        BitmapData data;
        EXPECT_NE(bad.LockBits(nullptr, ImageLockModeRead, PixelFormat24bppRGB, &data), Ok);
        EXPECT_NE(Graphics(&bad).Clear(Color::White), Ok);
    }
}

TEST(GdiplusBitmap, ClearAndCloneWholeAndRectangle) {
    Bitmap src(6, 4, PixelFormat32bppARGB);
    Graphics g(&src);
    ASSERT_EQ(g.Clear(Color(255, 10, 20, 30)), Ok);
    ASSERT_EQ(src.SetPixel(3, 2, Color(255, 200, 100, 50)), Ok);

    auto part = src.Clone(Rect(2, 1, 3, 2), PixelFormat24bppRGB);
    ASSERT_TRUE(part->IsValid());
    EXPECT_EQ(part->GetWidth(), 3u);
    EXPECT_EQ(PixelAt(*part, 1, 1), 0xFFC86432u);
    EXPECT_EQ(PixelAt(*part, 0, 0), 0xFF0A141Eu);

    // Half-transparent pixels land over black in a format without alpha.
    ASSERT_EQ(src.SetPixel(0, 0, Color(128, 255, 255, 255)), Ok);
    EXPECT_TRUE(Near(PixelAt(*src.Clone(Rect(0, 0, 1, 1), PixelFormat24bppRGB), 0, 0), 0xFF808080u));

    for (const Rect& bad : {Rect(-1, 0, 2, 2), Rect(5, 0, 2, 2), Rect(0, 0, 0, 1), Rect(0, 3, 1, 2)}) {
        auto c = src.Clone(bad, PixelFormat24bppRGB);
        ASSERT_NE(c, nullptr);
        EXPECT_FALSE(c->IsValid());
        EXPECT_EQ(c->GetLastStatus(), InvalidParameter);
    }
}

TEST(GdiplusBitmap, LockBits24RoundTripWithPackedBuffers) {
    // 3 x width = 15 is not a multiple of 4: user rows stay packed.
    const int w = 5, h = 3;
    Bitmap bmp(w, h, PixelFormat24bppRGB);
    std::vector<unsigned char> in(static_cast<size_t>(w) * h * 3);
    for (size_t i = 0; i < in.size(); ++i) in[i] = static_cast<unsigned char>(i * 7 + 1);

    BitmapData data;
    data.Scan0 = in.data();
    data.Stride = w * 3;
    ASSERT_EQ(bmp.LockBits(nullptr, ImageLockModeWrite | ImageLockModeUserInputBuf, PixelFormat24bppRGB, &data), Ok);
    EXPECT_EQ(bmp.LockBits(nullptr, ImageLockModeRead, PixelFormat24bppRGB, &data), WrongState);
    ASSERT_EQ(bmp.UnlockBits(&data), Ok);
    // Blue, green, red in memory.
    EXPECT_EQ(PixelAt(bmp, 0, 0), Color::MakeARGB(255, in[2], in[1], in[0]));

    std::vector<unsigned char> out(in.size(), 0);
    data.Scan0 = out.data();
    data.Stride = w * 3;
    ASSERT_EQ(bmp.LockBits(nullptr, ImageLockModeRead | ImageLockModeUserInputBuf, PixelFormat24bppRGB, &data), Ok);
    ASSERT_EQ(bmp.UnlockBits(&data), Ok);
    EXPECT_EQ(out, in);

    // Own buffer of a sub-rectangle: stride rounded up to 4 bytes.
    Rect r(1, 1, 3, 2);
    ASSERT_EQ(bmp.LockBits(&r, ImageLockModeRead, PixelFormat24bppRGB, &data), Ok);
    EXPECT_EQ(data.Stride, 12);
    const auto* p = static_cast<const unsigned char*>(data.Scan0);
    EXPECT_EQ(0, std::memcmp(p, in.data() + (w + 1) * 3, 9));
    ASSERT_EQ(bmp.UnlockBits(&data), Ok);
    Rect outside(3, 0, 3, 1);
    EXPECT_EQ(bmp.LockBits(&outside, ImageLockModeRead, PixelFormat24bppRGB, &data), InvalidParameter);
    data.Scan0 = out.data();
    data.Stride = w * 3 - 1; // too short for a row
    EXPECT_EQ(bmp.LockBits(nullptr, ImageLockModeRead | ImageLockModeUserInputBuf, PixelFormat24bppRGB, &data),
              InvalidParameter);
}

// Pixels are stored premultiplied: a premultiplied lock hands out the bitmap's own pixels.
TEST(GdiplusBitmap, LockBits32SharesPremultipliedPixels) {
    Bitmap bmp(3, 2, PixelFormat32bppARGB);
    ASSERT_EQ(bmp.SetPixel(0, 0, Color(128, 200, 80, 40)), Ok);
    BitmapData data;
    ASSERT_EQ(bmp.LockBits(nullptr, ImageLockModeRead | ImageLockModeWrite, PixelFormat32bppPARGB, &data), Ok);
    void* const pixels = data.Scan0;
    auto* row = static_cast<uint32_t*>(data.Scan0);
    EXPECT_EQ(row[0] >> 16 & 0xFF, 100u); // 200 at half opacity
    row[data.Stride / 4 + 2] = 0x80402010u; // (2, 1), half opaque
    ASSERT_EQ(bmp.UnlockBits(&data), Ok);
    EXPECT_TRUE(Near(PixelAt(bmp, 2, 1), Color::MakeARGB(128, 0x80, 0x40, 0x20), 1));
    ASSERT_EQ(bmp.LockBits(nullptr, ImageLockModeRead, PixelFormat32bppPARGB, &data), Ok);
    EXPECT_EQ(data.Scan0, pixels);
    ASSERT_EQ(bmp.UnlockBits(&data), Ok);
}

TEST(GdiplusBitmap, NativePixelsSeeDrawingAndAreSeenByIt) {
    for (PixelFormat format : {PixelFormat24bppRGB, PixelFormat32bppARGB}) {
        Bitmap bmp(6, 4, format);
        {
            Graphics g(&bmp);
            g.Clear(Color(0xFF102030));
        }
        {
            NativePixels px(&bmp, NativePixels::Access::ReadWrite);
            ASSERT_TRUE(px.IsValid());
            EXPECT_EQ(px.Row(3)[5] & 0xFFFFFFu, 0x102030u);
            EXPECT_EQ(reinterpret_cast<const char*>(px.Row(1)) - reinterpret_cast<const char*>(px.Row(0)),
                      px.Stride());
            EXPECT_GE(px.Stride(), 4 * px.Width());
            EXPECT_EQ(px.HasAlpha(), format == PixelFormat32bppARGB);
            px.Row(2)[1] = 0xFFA0B0C0u;
        }
        EXPECT_EQ(PixelAt(bmp, 1, 2), 0xFFA0B0C0u);
        // Drawing after the change starts from it.
        Bitmap copy(6, 4, format);
        Graphics g(&copy);
        g.DrawImage(&bmp, 0, 0);
        EXPECT_EQ(PixelAt(copy, 1, 2), 0xFFA0B0C0u);
    }
    Bitmap bad(0, 0, PixelFormat24bppRGB);
    EXPECT_FALSE(NativePixels(&bad, NativePixels::Access::Read).IsValid());
}
