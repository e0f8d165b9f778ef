#include <cstring>
#include <string>

#include "../support/GdiCanvas.h"
#include "ImageTestUtil.h"

using namespace imgtest;

namespace {

// A packed DIB with a 40-byte header (or `headerSize` bytes), then `tail` (table, masks, rows).
Bytes Dib(int32_t w, int32_t h, uint16_t bits, uint32_t compression, const Bytes& tail, uint32_t clrUsed = 0,
          uint32_t headerSize = 40, int32_t ppm = 0) {
    Bytes b;
    const uint32_t fields[][2] = {
        {headerSize, 4}, {uint32_t(w), 4},   {uint32_t(h), 4},   {1, 2},       {bits, 2}, {compression, 4},
        {0, 4},          {uint32_t(ppm), 4}, {uint32_t(ppm), 4}, {clrUsed, 4}, {0, 4}};
    for (const auto& f : fields)
        PutLE(b, f[0], static_cast<int>(f[1]));
    b.resize(headerSize, 0);
    b.insert(b.end(), tail.begin(), tail.end());
    return b;
}

bool Load(CPixImage& img, const Bytes& block) {
    HGLOBAL g = GlobalAlloc(GHND, block.size());
    if (!block.empty()) std::memcpy(GlobalLock(g), block.data(), block.size());
    GlobalUnlock(g);
    const bool ok = img.CreateFromHANDLE(g);
    GlobalFree(g);
    return ok;
}

} // namespace

TEST(PixHandle, HandlesAndBitmapsRoundTripEveryDepth) {
    for (DWORD bpp : {1u, 4u, 8u, 24u}) {
        CPixImage img = Picture(bpp, false, 5, 3);
        HANDLE h = img.CopyToHandle();
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(GlobalSize(h), static_cast<size_t>(img.GetSize()));
        HBITMAP section = img.MakeBitmap();
        CPixImage back, fromBitmap;
        ASSERT_TRUE(back.CreateFromHANDLE(h)) << bpp << back.GetLastError();
        ASSERT_TRUE(fromBitmap.CreateFromHBITMAP(section)) << bpp;
        GlobalFree(h);
        DeleteObject(section);
        EXPECT_EQ(back.GetBpp(), bpp);
        EXPECT_EQ(fromBitmap.GetBpp(), bpp);
        EXPECT_EQ(MaxDifference(img, back), 0) << bpp;
        EXPECT_EQ(MaxDifference(img, fromBitmap), 0) << bpp;
    }
    CPixImage back(3, 2, 24);
    EXPECT_FALSE(back.CreateFromHBITMAP(nullptr));
    EXPECT_EQ(back.GetWidth(), 3u);
    EXPECT_EQ(CPixImage().CopyToHandle(), nullptr);
    EXPECT_EQ(CPixImage().MakeBitmap(), nullptr);
}

TEST(PixHandle, HandsOutTheResolutionLastSet) {
    const struct { long xDpi, yDpi, wantX, wantY; int32_t xPpm, yPpm; } cases[] = {
        {300, 72, 300, 72, 11811, 2835}, {0, -5, 96, 96, 3780, 3780}, {1, 600, 1, 600, 39, 23622}};
    for (const auto& c : cases) {
        for (DWORD bpp : {1u, 24u}) {
            CPixImage img = Picture(bpp, false, 3, 2);
            img.SetXDPI(c.xDpi);
            img.SetYDPI(c.yDpi);
            const BYTE* block = static_cast<const BYTE*>(img.GetDIB());
            uint32_t x = 0, y = 0;
            std::memcpy(&x, block + 24, 4);
            std::memcpy(&y, block + 28, 4);
            EXPECT_TRUE(x == static_cast<uint32_t>(c.xPpm) && y == static_cast<uint32_t>(c.yPpm)) << c.xDpi << ": " << x << " " << y;
            HANDLE h = img.CopyToHandle();
            ASSERT_NE(h, nullptr);
            CPixImage back;
            ASSERT_TRUE(back.CreateFromHANDLE(h));
            GlobalFree(h);
            EXPECT_EQ(back.GetXDPI(), c.wantX) << c.xDpi << " at " << bpp << " bits";
            EXPECT_EQ(back.GetYDPI(), c.wantY) << c.yDpi << " at " << bpp << " bits";
        }
    }
}

TEST(PixHandle, ReadsTheLayoutsAPackedDibMayHave) {
    struct Case {
        const char* name;
        Bytes block;
        COLORREF bottomLeft, topLeft;
    } cases[] = {
        // 16-bit without masks is 5-5-5: 0x7C00 is full red
        {"16 rgb", Dib(1, 2, 16, BI_RGB, {0x00, 0x7C, 0, 0, 0x1F, 0x00, 0, 0}), RGB(255, 0, 0),
         RGB(0, 0, 255)},
        {"16 565",
         Dib(1, 1, 16, BI_BITFIELDS, {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0, 0xE0, 0x07, 0, 0}),
         RGB(0, 255, 0), RGB(0, 255, 0)},
        // a 16-bit mask is a 16-bit channel: its top 8 bits count
        {"16 odd masks",
         Dib(1, 1, 16, BI_BITFIELDS, {0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x7C, 0, 0}),
         RGB(124, 0, 0), RGB(124, 0, 0)},
        {"32 rgb", Dib(1, 1, 32, BI_RGB, {1, 2, 3, 4}), RGB(3, 2, 1), RGB(3, 2, 1)},
        {"24 top-down", Dib(1, -2, 24, BI_RGB, {1, 2, 3, 0, 4, 5, 6, 0}), RGB(6, 5, 4), RGB(3, 2, 1)},
        {"24 v5 header", Dib(1, 1, 24, BI_RGB, {7, 8, 9, 0}, 0, 124), RGB(9, 8, 7), RGB(9, 8, 7)},
        {"8 palette of 2", Dib(2, 1, 8, BI_RGB, {1, 1, 1, 0, 50, 60, 70, 0, 1, 0, 0, 0}, 2), RGB(70, 60, 50),
         RGB(70, 60, 50)},
        {"8 rle", Dib(2, 2, 8, BI_RLE8, {0, 0, 0, 0, 9, 9, 9, 0, 2, 1, 0, 0, 1, 0, 0, 1}, 2), RGB(9, 9, 9),
         RGB(0, 0, 0)},
    };
    for (const Case& c : cases) {
        CPixImage img;
        ASSERT_TRUE(Load(img, c.block)) << c.name << ": " << img.GetLastError();
        EXPECT_EQ(Rgb(img, 0, 0), c.bottomLeft) << c.name;
        EXPECT_EQ(Rgb(img, 0, static_cast<long>(img.GetHeight()) - 1), c.topLeft) << c.name;
    }
    // a 12-byte core header with 3-byte palette entries
    // (size, width 3, height 1, planes 1, 1 bit; two entries; one row)
    const Bytes core = {12, 0, 0, 0, 3, 0, 1, 0, 1, 0, 1, 0, 0, 0, 0, 30, 20, 10, 0x40, 0, 0, 0};
    CPixImage img;
    ASSERT_TRUE(Load(img, core));
    EXPECT_EQ(Rgb(img, 1, 0), RGB(10, 20, 30));
    EXPECT_EQ(img.GetXDPI(), 96);
    ASSERT_TRUE(Load(img, Dib(1, 1, 24, BI_RGB, {0, 0, 0, 0}, 0, 40, 11811)));
    EXPECT_EQ(img.GetYDPI(), 300);
}

// Eight 16-bit pixels in one row: 5-5-5 white, black, full red, green and blue, two greys, all bits.
const Bytes kSixteen = {0xFF, 0x7F, 0x00, 0x00, 0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0x10, 0x42, 0x55, 0x55, 0xFF, 0xFF};

Bytes Masked(uint32_t r, uint32_t g, uint32_t b) {
    Bytes m;
    for (uint32_t v : {r, g, b})
        PutLE(m, v, 4);
    m.insert(m.end(), kSixteen.begin(), kSixteen.end());
    return m;
}

TEST(PixHandle, SixteenBitPixelsReadAsTheBitmapCodecReadsThem) {
    Bytes v5 = Dib(8, 1, 16, BI_BITFIELDS, kSixteen, 0, 124); // masks inside the longer header
    for (int i = 0; i < 12; ++i)
        v5[40 + i] = Masked(0xF800, 0x7E0, 0x1F)[i];
    const struct {
        const char* name;
        Bytes block;
    } cases[] = {
        {"5-5-5", Dib(8, 1, 16, BI_RGB, kSixteen)},
        {"5-6-5", Dib(8, 1, 16, BI_BITFIELDS, Masked(0xF800, 0x7E0, 0x1F))},
        {"4-4-4", Dib(8, 1, 16, BI_BITFIELDS, Masked(0xF00, 0xF0, 0xF))},
        {"1-bit channels", Dib(8, 1, 16, BI_BITFIELDS, Masked(0x4, 0x2, 0x1))},
        {"whole word red", Dib(8, 1, 16, BI_BITFIELDS, Masked(0xFFFF, 0, 0))},
        {"masks with gaps", Dib(8, 1, 16, BI_BITFIELDS, Masked(0x7C1F, 0x3E0, 0x8000))},
        {"v5 header 5-6-5", v5},
    };
    for (const auto& c : cases) {
        CPixImage viaHandle, viaCodec(const_cast<BYTE*>(c.block.data()), static_cast<DWORD>(c.block.size()), PIXFORMAT_BMP);
        ASSERT_TRUE(Load(viaHandle, c.block)) << c.name << ": " << viaHandle.GetLastError();
        ASSERT_TRUE(viaCodec.IsValid()) << c.name << ": " << viaCodec.GetLastError();
        ASSERT_EQ(viaHandle.GetWidth(), 8u);
        ForEachPixel(viaCodec, [&](long x, long y) {
            EXPECT_EQ(Rgb(viaHandle, x, y), Rgb(viaCodec, x, y)) << c.name << " pixel " << x;
        });
    }
    // One widening for the library: full channels are full, whichever way the pixels come in.
    CPixImage img;
    ASSERT_TRUE(Load(img, Dib(8, 1, 16, BI_RGB, kSixteen)));
    EXPECT_EQ(Rgb(img, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(Rgb(img, 5, 0), RGB(132, 132, 132)) << "16 of 31 widens to 16 * 8 + 16 / 4";
}

TEST(PixHandle, SixteenBitsWithoutBitfieldsAreFiveFiveFive) {
    CPixImage plain;
    ASSERT_TRUE(Load(plain, Dib(8, 1, 16, BI_RGB, kSixteen)));
    for (uint32_t compression : {uint32_t{BI_RLE8}, uint32_t{BI_RLE4}, 4u, 5u, 99u}) {
        CPixImage img;
        ASSERT_TRUE(Load(img, Dib(8, 1, 16, compression, kSixteen))) << compression << ": " << img.GetLastError();
        EXPECT_EQ(MaxDifference(img, plain), 0) << compression;
    }
    CPixImage topDown;
    ASSERT_TRUE(Load(topDown, Dib(8, -1, 16, BI_RLE8, kSixteen))) << topDown.GetLastError();
    EXPECT_EQ(MaxDifference(topDown, plain), 0);
}

TEST(PixHandle, RefusesBlocksThatClaimMoreThanTheyHold) {
    struct Case {
        const char* name;
        Bytes block;
        const char* error;
    } cases[] = {
        {"rows missing", Dib(4, 4, 24, BI_RGB, Bytes(40)), "DIB block too short"},
        {"palette missing", Dib(1, 1, 8, BI_RGB, Bytes(8), 300), "DIB block too short"},
        {"masks missing", Dib(1, 1, 16, BI_BITFIELDS, {}), "DIB block too short"},
        {"header cut", Bytes{40, 0, 0, 0, 1}, "DIB block too short"},
        {"odd header", Dib(1, 1, 24, BI_RGB, Bytes(4), 0, 64), "unknown DIB header"},
        {"zero width", Dib(0, 1, 24, BI_RGB, Bytes(4)), "bad DIB size"},
        {"rle8 of 4 bits", Dib(2, 1, 4, BI_RLE8, Bytes(80)), "compression type not supported"},
        {"top-down rle", Dib(2, -1, 8, BI_RLE8, Bytes(1030)), "compression type not supported"},
        {"32 jpeg", Dib(1, 1, 32, 4, Bytes(4)), "unknown compression"},
        {"32 rle8", Dib(1, 1, 32, BI_RLE8, Bytes(4)), "unknown compression"},
        {"32 rle4", Dib(1, 1, 32, BI_RLE4, Bytes(4)), "unknown compression"},
        {"32 top-down rle8", Dib(1, -1, 32, BI_RLE8, Bytes(4)), "unknown compression"},
        {"24 rle", Dib(1, 1, 24, BI_RLE8, Bytes(4)), "compression type not supported"},
        {"too big", Dib(100000, 100000, 1, BI_RGB, Bytes(8)), "PIXIMAGE_MAX_MEMORY exceeded"},
        {"two bits", Dib(1, 1, 2, BI_RGB, Bytes(40)), ""},
        {"empty", Bytes{}, ""},
    };
    for (const Case& c : cases) {
        CPixImage img(2, 2, 24);
        img.SetPixelColor(1, 1, RGB(1, 2, 3));
        EXPECT_FALSE(Load(img, c.block)) << c.name;
        EXPECT_EQ(std::string(img.GetLastError()).find(c.error), 0u) << c.name << ": " << img.GetLastError();
        EXPECT_EQ(img.GetWidth(), 2u) << c.name;
        EXPECT_EQ(Rgb(img, 1, 1), RGB(1, 2, 3)) << c.name;
    }
    EXPECT_FALSE(CPixImage().CreateFromHANDLE(nullptr));
}
