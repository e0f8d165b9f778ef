#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>

#include "imagelib/PixImage.h"
#include "tests/imagelib/ImageTestUtil.h"

using namespace imgtest;

namespace {

// Reaches the protected members that codecs and transforms use.
class TestImage : public CPixImage {
public:
    using CPixImage::CPixImage;
    using CPixImage::Ghost;
    CPixImage* GhostOf() const { return info.ghostOf; }
    const BITMAPINFOHEADER& Header() const { return header; }
    BYTE* Selection() const { return selection; }
    void MakeMasks() {
        AlphaCreate();
        selection = static_cast<BYTE*>(std::calloc(PlaneSize(), 1));
    }
};

TEST(PixImageCreate, NormalisesDepthAndLaysOutRows) {
    struct Case {
        DWORD width, bpp;
        WORD wantBpp;
        DWORD colours, effWidth;
    };
    for (const Case& c :
         {Case{1, 0, 1, 2, 4}, Case{5, 16, 24, 0, 16}, Case{3, 2, 4, 16, 4}, Case{7, 8, 8, 256, 8}}) {
        CPixImage img;
        ASSERT_NE(img.Create(c.width, 3, c.bpp, PIXFORMAT_PNG), nullptr) << c.bpp;
        EXPECT_EQ(img.GetBpp(), c.wantBpp) << c.bpp;
        EXPECT_EQ(img.GetNumColors(), c.colours) << c.bpp;
        EXPECT_EQ(img.GetEffWidth(), c.effWidth) << c.bpp;
        EXPECT_EQ(img.GetSize(), 40 + c.colours * 4 + c.effWidth * 3) << c.bpp;
    }
    CPixImage img(7, 3, 8);
    BYTE* start = static_cast<BYTE*>(img.GetDIB());
    EXPECT_EQ(img.GetBits(2), start + 40 + 1024 + 2 * 8);
    EXPECT_EQ(img.GetBits(3), nullptr);
    // The block begins with a little-endian header that Windows-style readers take as a packed DIB.
    EXPECT_EQ(std::vector<BYTE>(start, start + 16),
              (std::vector<BYTE>{40, 0, 0, 0, 7, 0, 0, 0, 3, 0, 0, 0, 1, 0, 8, 0}));
    CPixImage one(9, 2, 1), four(5, 2, 4);
    one.Clear(7);
    four.Clear(0x35);
    EXPECT_EQ(one.GetBits()[2 * one.GetEffWidth() - 1], 255);
    EXPECT_EQ(four.GetBits()[2 * four.GetEffWidth() - 1], 0x55);
}

TEST(PixImageCreate, RefusesEmptyAndOversizedPicturesAndDropsMasks) {
    TestImage img(4, 4, 24);
    img.MakeMasks();
    EXPECT_EQ(img.Create(0, 10, 24), nullptr);
    EXPECT_STREQ(img.GetLastError(), "CPixImage::Create : width and height must be greater than zero");
    EXPECT_FALSE(img.IsValid());
    EXPECT_FALSE(img.AlphaIsValid());
    EXPECT_EQ(img.Create(10, 0, 24), nullptr);

    EXPECT_EQ(img.Create(30001, 1, 1), nullptr);
    EXPECT_STREQ(img.GetLastError(), "PIXIMAGE_MAX_MEMORY exceeded");
    EXPECT_EQ(img.Create(1, 30001, 1), nullptr);
    EXPECT_EQ(img.Create(30000, 30000, 24), nullptr) << "2.7 GB of rows is over the cap";
    EXPECT_EQ(img.Create(0xFFFFFFFFu, 0xFFFFFFFFu, 24), nullptr) << "must not wrap to a small block";

    // A side at the cap with few bytes is fine; the row size is computed in 64 bits.
    ASSERT_NE(img.Create(30000, 2, 24), nullptr);
    EXPECT_EQ(img.GetSize(), 40 + 180000);
    img.MakeMasks();
    ASSERT_NE(img.Create(2, 2, 8), nullptr);
    EXPECT_FALSE(img.AlphaIsValid());
    EXPECT_EQ(img.Selection(), nullptr);
}

TEST(PixImageCopy, CopiesPixelsPaletteInfoAndMasks) {
    TestImage src(3, 2, 8, PIXFORMAT_GIF);
    src.SetPaletteColor(5, 10, 20, 30);
    src.SetPixelIndex(2, 1, 5);
    src.MakeMasks();
    src.AlphaSet(1, 1, 77);
    src.SetJpegQuality(40);

    CPixImage copy(src);
    EXPECT_EQ(copy.GetType(), static_cast<DWORD>(PIXFORMAT_GIF));
    EXPECT_EQ(copy.GetPixelIndex(2, 1), 5);
    EXPECT_EQ(copy.AlphaGet(1, 1), 77);
    EXPECT_EQ(copy.GetJpegQuality(), 40);
    EXPECT_NE(copy.GetBits(), src.GetBits());
    CPixImage bare(src, false);
    EXPECT_EQ(bare.GetPixelIndex(2, 1), 0) << "no pixels";
    EXPECT_EQ(Rgb(bare.GetPaletteColor(5)), RGB(10, 20, 30));

    copy.Copy(copy);
    copy = copy;
    EXPECT_EQ(copy.GetPixelIndex(2, 1), 5);
    EXPECT_EQ(copy.AlphaGet(1, 1), 77);
    copy.Copy(CPixImage());
    EXPECT_FALSE(copy.IsValid());
}

TEST(PixImageTransfer, MovesEverythingAndEmptiesTheSource) {
    CPixImage a(2, 2, 24);
    CPixImage b(5, 4, 8, PIXFORMAT_BMP);
    b.AlphaCreate();
    b.SetTransIndex(3);
    void* block = b.GetDIB();
    ASSERT_TRUE(a.Transfer(b));
    EXPECT_EQ(a.GetDIB(), block);
    EXPECT_EQ(a.GetTransIndex(), 3);
    EXPECT_TRUE(a.AlphaIsValid());
    EXPECT_FALSE(b.IsValid() || b.AlphaIsValid());
    EXPECT_EQ(b.GetTransIndex(), 0);
    ASSERT_TRUE(a.Transfer(a));
    EXPECT_EQ(a.GetDIB(), block) << "a transfer to itself keeps the picture";
}

TEST(PixImageGhost, SharesWithoutOwning) {
    TestImage owner(6, 2, 24);
    owner.AlphaCreate();
    owner.SetPixelColor(0, 0, RGB(50, 60, 70));
    {
        TestImage ghost(3, 3, 8); // its own picture is released when it becomes a ghost
        ghost.Ghost(&owner);
        EXPECT_EQ(ghost.GetBits(), owner.GetBits());
        EXPECT_EQ(ghost.Create(2, 2, 24), nullptr);
        CPixImage other(1, 1, 24);
        EXPECT_FALSE(ghost.Transfer(other));
        ghost.Copy(other);
        EXPECT_EQ(ghost.GhostOf(), &owner) << "still a ghost: it must never free the owner's blocks";
        EXPECT_EQ(ghost.GetDIB(), owner.GetDIB());
        EXPECT_FALSE(ghost.Destroy());
    }
    EXPECT_EQ(Rgb(owner, 0, 0), RGB(50, 60, 70)); // ASan: the blocks are still owned and alive
    EXPECT_TRUE(owner.AlphaIsValid());
}

TEST(PixImageCreate, FromArrayFlipsAndDropsAlpha) {
    // 2 x 2 BGRA, top row first; flipped so the first source row ends on top (row 1).
    BYTE px[16] = {1, 2, 3, 10, 4, 5, 6, 20, 7, 8, 9, 30, 11, 12, 13, 40};
    CPixImage img;
    ASSERT_TRUE(img.CreateFromArray(px, 2, 2, 32, 8, true));
    EXPECT_EQ(img.GetBpp(), 24);
    EXPECT_TRUE(SameRgba(img.GetPixelColor(0, 1), Quad(3, 2, 1, 10)));
    EXPECT_TRUE(SameRgba(img.GetPixelColor(1, 0), Quad(13, 12, 11, 40)));
    EXPECT_FALSE(img.CreateFromArray(px, 2, 2, 16, 8, false));
}

TEST(PixImageInfo, SetterRules) {
    TestImage img;
    img.SetXDPI(-5);
    EXPECT_EQ(img.GetXDPI(), 96);
    EXPECT_EQ(img.Header().biXPelsPerMeter, 3780);
    img.SetYDPI(300);
    EXPECT_EQ(img.Header().biYPelsPerMeter, 11811);
    // A resolution from a hostile file must not overflow the header's pixels per metre.
    img.SetYDPI(std::numeric_limits<long>::max());
    EXPECT_GT(img.Header().biYPelsPerMeter, 0);
    EXPECT_EQ(img.GetYDPI(), 50000000);

    CPixImage rgb(2, 2, 24);
    rgb.SetTransIndex(1);
    rgb.SetTransColor(Quad(9, 9, 9, 0xFF));
    EXPECT_TRUE(SameRgba(rgb.GetTransColor(), Quad(9, 9, 9))) << "24 bits: the colour, not a palette entry";
}

} // namespace
