// Mixing a second image into this one.
#include <gtest/gtest.h>

#include <climits>

#include "imagelib/PixImage.h"
#include "tests/imagelib/ImageTestUtil.h"
#include "tests/imagelib/PixOpsTestUtil.h"

namespace {

using imgtest::Quad;

CPixImage Flat(long w, long h, COLORREF c) {
    return imgtest::Picture(w, h, [c](long, long) { return c; });
}

TEST(PixMix, EachOperationOnOnePixel) {
    struct Case {
        CPixImage::ImageOpType op;
        COLORREF p, s, want;
    } cases[] = {
        {CPixImage::MixAdd, RGB(200, 10, 0), RGB(100, 20, 0), RGB(255, 30, 0)},
        {CPixImage::MixAnd, RGB(0xF0, 0x0F, 0xFF), RGB(0x3C, 0x3C, 0), RGB(0x30, 0x0C, 0)},
        {CPixImage::MixXor, RGB(0xF0, 0x0F, 0xFF), RGB(0x3C, 0x3C, 0), RGB(0xCC, 0x33, 0xFF)},
        {CPixImage::MixOr, RGB(0xF0, 0x0F, 0), RGB(0x3C, 0x3C, 0), RGB(0xFC, 0x3F, 0)},
        {CPixImage::MixSubtract, RGB(100, 50, 9), RGB(200, 20, 9), RGB(0, 30, 0)},
        {CPixImage::MixMask, RGB(1, 2, 3), RGB(0, 0, 0), RGB(0, 0, 0)},
        {CPixImage::MixMask, RGB(1, 2, 3), RGB(0, 0, 1), RGB(1, 2, 3)},
        {CPixImage::MixUnderKey, RGB(0, 0, 0), RGB(7, 8, 9), RGB(7, 8, 9)},
        {CPixImage::MixUnderKey, RGB(1, 0, 0), RGB(7, 8, 9), RGB(1, 0, 0)},
        {CPixImage::MixOverKey, RGB(1, 2, 3), RGB(0, 0, 0), RGB(1, 2, 3)},
        {CPixImage::MixOverKey, RGB(1, 2, 3), RGB(7, 8, 9), RGB(7, 8, 9)},
        {CPixImage::MixKeyBlend, RGB(0, 0, 0), RGB(7, 8, 9), RGB(7, 8, 9)},
        {CPixImage::MixKeyBlend, RGB(60, 0, 0), RGB(7, 8, 9), RGB(60, 0, 0)},
        // diff 8: half of this image's pixel, half of each source channel
        {CPixImage::MixKeyBlend, RGB(24, 0, 0), RGB(100, 50, 10), RGB(62, 25, 5)},
        {CPixImage::MixAlphaBlend, RGB(1, 2, 3), RGB(7, 8, 9), RGB(7, 8, 9)},
    };
    for (const Case& c : cases) {
        CPixImage p = Flat(2, 2, c.p), s = Flat(2, 2, c.s); // transparent colour: black
        p.Mix(s, c.op);
        EXPECT_EQ(imgtest::Rgb(p, 1, 1), c.want) << "op " << c.op;
    }
}

TEST(PixMix, AlphaBlendWeightsAndTransparency) {
    CPixImage p = Flat(2, 1, RGB(100, 100, 100)), s = Flat(2, 1, RGB(200, 60, 50));
    s.AlphaCreate();
    s.AlphaSet(0, 0, 128);
    s.AlphaSet(1, 0, 0);
    p.Mix(s, CPixImage::MixAlphaBlend, 0, 0, true);
    EXPECT_TRUE(imgtest::SameRgba(p.GetPixelColor(0, 0), Quad((200 * 128 + 100 * 127) >> 8, (60 * 128 + 100 * 127) >> 8,
                                                              (50 * 128 + 100 * 127) >> 8, (256 * 128) >> 8)));
    EXPECT_EQ(imgtest::Rgb(p, 1, 0), RGB(100, 100, 100));

    CPixImage q = Flat(2, 1, RGB(5, 5, 5));
    CPixImage idx(2, 1, 8);
    idx.SetGrayPalette();
    idx.SetPixelIndex(0, 0, 77);
    idx.SetPixelIndex(1, 0, 200);
    idx.SetTransIndex(77);
    q.Mix(idx, CPixImage::MixAlphaBlend);
    EXPECT_EQ(imgtest::Rgb(q, 0, 0), RGB(5, 5, 5)) << "the transparent index leaves the pixel";
    EXPECT_EQ(imgtest::Rgb(q, 1, 0), RGB(200, 200, 200));
}

TEST(PixMix, OffsetsSelfSourceAndRefusedOperation) {
    CPixImage p = Flat(4, 1, RGB(10, 10, 10)), s = Flat(2, 1, RGB(1, 1, 1));
    p.Mix(s, CPixImage::MixAdd, -2, 0); // source x = x - 2: pixels 2 and 3 meet it
    EXPECT_EQ(imgtest::Rgb(p, 1, 0), RGB(10, 10, 10));
    EXPECT_EQ(imgtest::Rgb(p, 2, 0), RGB(11, 11, 11));
    for (long off : {LONG_MAX, LONG_MIN, 3L, -4L}) {
        CPixImage q = Flat(4, 1, RGB(10, 10, 10));
        q.Mix(s, CPixImage::MixAdd, off, off);
        q.MixFrom(s, off, off);
        EXPECT_EQ(imgtest::Rgb(q, 0, 0), RGB(10, 10, 10)) << off;
    }

    CPixImage self = imgtest::Picture(4, 1, [](long x, long) { return RGB(10 * x, 0, 0); });
    self.Mix(self, CPixImage::MixAdd, 1, 0); // reads the pixels as they were
    for (long x = 0; x < 3; ++x)
        EXPECT_EQ(imgtest::Rgb(self, x, 0), RGB(10 * x + 10 * (x + 1), 0, 0)) << x;

    CPixImage r = Flat(2, 1, RGB(1, 2, 3)), a = Flat(2, 1, RGB(9, 9, 9));
    a.AlphaCreate();
    r.Mix(a, static_cast<CPixImage::ImageOpType>(10), 0, 0, true);
    EXPECT_FALSE(r.AlphaIsValid()) << "an unknown operation changes nothing";
    EXPECT_EQ(imgtest::Rgb(r, 0, 0), RGB(1, 2, 3));
}

TEST(PixMix, MixFromLeavesTheTransparentColour) {
    CPixImage dst = Flat(3, 1, RGB(1, 1, 1));
    CPixImage src = imgtest::Picture(2, 1, [](long x, long) { return x ? RGB(255, 255, 255) : RGB(40, 50, 60); });
    src.SetTransColor(Quad(255, 255, 255));
    dst.MixFrom(src, 1, 0);
    EXPECT_EQ(imgtest::Rgb(dst, 0, 0), RGB(1, 1, 1));
    EXPECT_EQ(imgtest::Rgb(dst, 1, 0), RGB(40, 50, 60));
    EXPECT_EQ(imgtest::Rgb(dst, 2, 0), RGB(1, 1, 1));

    CPixImage opaque = Flat(1, 1, RGB(1, 1, 1)), faint = Flat(1, 1, RGB(9, 9, 9));
    opaque.AlphaCreate();
    faint.AlphaCreate();
    faint.AlphaSet(0, 0, 40);
    opaque.MixFrom(faint, 0, 0);
    EXPECT_TRUE(imgtest::SameRgba(opaque.GetPixelColor(0, 0), Quad(9, 9, 9, 255))) << "the alpha stays";
}

} // namespace
