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
    using CPixImage::Bitfield2RGB;
    using CPixImage::CopyInfo;
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
    for (const Case& c : {Case{1, 0, 1, 2, 4}, Case{5, 16, 24, 0, 16}, Case{3, 2, 4, 16, 4}, Case{7, 8, 8, 256, 8}}) {
        CPixImage img;
        ASSERT_NE(img.Create(c.width, 3, c.bpp, PIXFORMAT_PNG), nullptr) << c.bpp;
        EXPECT_EQ(img.GetBpp(), c.wantBpp) << c.bpp;
        EXPECT_EQ(img.GetNumColors(), c.colours) << c.bpp;
        EXPECT_EQ(img.GetEffWidth(), c.effWidth) << c.bpp;
        EXPECT_EQ(img.GetSize(), 40 + c.colours * 4 + c.effWidth * 3) << c.bpp;
        EXPECT_TRUE(c.colours == 0 || Rgb(img.GetPaletteColor(static_cast<BYTE>(c.colours - 1))) == 0);
    }
    CPixImage img(7, 3, 8);
    BYTE* start = static_cast<BYTE*>(img.GetDIB());
    EXPECT_EQ(img.GetBits(2), start + 40 + 1024 + 2 * 8);
    EXPECT_EQ(img.GetBits(3), nullptr);
    // The block begins with a little-endian header that Windows-style readers take as a packed DIB.
    EXPECT_EQ(start[0], 40);
    EXPECT_EQ(start[4], 7);
    EXPECT_EQ(start[8], 3);
    EXPECT_EQ(start[14], 8);
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
    EXPECT_FALSE(img.IsValid());

    // A side at the cap with few bytes is fine; the row size is computed in 64 bits.
    ASSERT_NE(img.Create(30000, 2, 24), nullptr);
    EXPECT_EQ(img.GetEffWidth(), 90000u);
    EXPECT_EQ(img.GetSize(), 40 + 180000);
    img.MakeMasks();
    ASSERT_NE(img.Create(2, 2, 8), nullptr);
    EXPECT_FALSE(img.AlphaIsValid());
    EXPECT_EQ(img.Selection(), nullptr);
}

TEST(PixImageCreate, ClearFillsPixelBytesByDepth) {
    CPixImage one(9, 2, 1);
    one.Clear(7);
    for (DWORD i = 0; i < 2 * one.GetEffWidth(); ++i)
        ASSERT_EQ(one.GetBits()[i], 255);
    CPixImage four(5, 2, 4);
    four.Clear(0x35);
    for (DWORD i = 0; i < 2 * four.GetEffWidth(); ++i)
        ASSERT_EQ(four.GetBits()[i], 0x55);
}

TEST(PixImageCopy, CopiesPixelsPaletteInfoAndMasks) {
    TestImage src(3, 2, 8, PIXFORMAT_GIF);
    src.SetPaletteColor(5, 10, 20, 30);
    src.SetPixelIndex(2, 1, 5);
    src.MakeMasks();
    src.AlphaSet(1, 1, 77);
    src.SetJpegQuality(40);
    src.SetXDPI(300);

    CPixImage copy(src);
    EXPECT_EQ(copy.GetType(), static_cast<DWORD>(PIXFORMAT_GIF));
    EXPECT_EQ(copy.GetPixelIndex(2, 1), 5);
    EXPECT_EQ(copy.AlphaGet(1, 1), 77);
    EXPECT_EQ(copy.GetJpegQuality(), 40);
    EXPECT_EQ(copy.GetXDPI(), 300);
    EXPECT_NE(copy.GetBits(), src.GetBits());

    CPixImage bare(src, false);
    EXPECT_EQ(bare.GetPixelIndex(2, 1), 0) << "no pixels";
    EXPECT_EQ(Rgb(bare.GetPaletteColor(5)), RGB(10, 20, 30));
    EXPECT_EQ(bare.GetWidth(), 3u);
}

TEST(PixImageCopy, SelfCopyAndEmptySource) {
    CPixImage img(4, 3, 24);
    img.SetPixelColor(1, 1, RGB(1, 2, 3));
    img.AlphaCreate();
    img.AlphaSet(1, 1, 9);
    img.Copy(img);
    img = img;
    EXPECT_EQ(img.GetPixelColor(1, 1).rgbRed, 1);
    EXPECT_EQ(img.AlphaGet(1, 1), 9);

    img.Copy(CPixImage());
    EXPECT_FALSE(img.IsValid());
}

TEST(PixImageCopy, CopyKeepsTheTargetsGhostState) {
    TestImage owner(4, 4, 24);
    owner.SetPixelColor(0, 0, RGB(50, 60, 70));
    TestImage ghost;
    ghost.Ghost(&owner);
    ASSERT_EQ(ghost.GhostOf(), &owner);
    CPixImage other(2, 2, 8);
    ghost.Copy(other);
    EXPECT_EQ(ghost.GhostOf(), &owner) << "still a ghost: it must never free the owner's blocks";
    EXPECT_EQ(ghost.GetDIB(), owner.GetDIB());
    EXPECT_EQ(owner.GetPixelColor(0, 0).rgbRed, 50);
    EXPECT_FALSE(ghost.Destroy());
    EXPECT_TRUE(owner.IsValid());
}

TEST(PixImageTransfer, MovesEverythingAndEmptiesTheSource) {
    CPixImage a(2, 2, 24);
    CPixImage b(5, 4, 8, PIXFORMAT_BMP);
    b.AlphaCreate();
    b.SetTransIndex(3);
    void* block = b.GetDIB();
    ASSERT_TRUE(a.Transfer(b));
    EXPECT_EQ(a.GetDIB(), block);
    EXPECT_EQ(a.GetWidth(), 5u);
    EXPECT_EQ(a.GetTransIndex(), 3);
    EXPECT_TRUE(a.AlphaIsValid());
    EXPECT_FALSE(b.IsValid());
    EXPECT_FALSE(b.AlphaIsValid());
    EXPECT_EQ(b.GetTransIndex(), 0);
    EXPECT_EQ(b.GetWidth(), 0u);

    ASSERT_TRUE(a.Transfer(a));
    EXPECT_EQ(a.GetDIB(), block) << "a transfer to itself keeps the picture";
}

TEST(PixImageGhost, SharesWithoutOwning) {
    TestImage owner(6, 2, 24);
    owner.AlphaCreate();
    {
        TestImage ghost(3, 3, 8); // its own picture is released when it becomes a ghost
        ghost.Ghost(&owner);
        EXPECT_EQ(ghost.GetBits(), owner.GetBits());
        EXPECT_EQ(ghost.GetWidth(), 6u);
        EXPECT_EQ(ghost.Create(2, 2, 24), nullptr);
        CPixImage other(1, 1, 24);
        EXPECT_FALSE(ghost.Transfer(other));
    }
    EXPECT_TRUE(owner.IsValid());
    owner.SetPixelColor(5, 1, RGB(1, 1, 1)); // ASan: the block is still owned and alive
    EXPECT_TRUE(owner.AlphaIsValid());
}

TEST(PixImageCopy, CopyInfoOnlyIntoAnEmptyImage) {
    CPixImage src(2, 2, 24);
    src.SetJpegQuality(33);
    TestImage target;
    target.CopyInfo(src);
    EXPECT_EQ(target.GetJpegQuality(), 33);
    TestImage full(2, 2, 24);
    full.CopyInfo(src);
    EXPECT_EQ(full.GetJpegQuality(), 90);
}

TEST(PixImageCreate, FromArrayMatrixAndBitfields) {
    // 2 x 2 BGRA, top row first; flipped so the first source row ends on top (row 1).
    BYTE px[16] = {1, 2, 3, 10, 4, 5, 6, 20, 7, 8, 9, 30, 11, 12, 13, 40};
    CPixImage img;
    ASSERT_TRUE(img.CreateFromArray(px, 2, 2, 32, 8, true));
    EXPECT_EQ(img.GetBpp(), 24);
    ASSERT_TRUE(img.AlphaIsValid());
    EXPECT_EQ(img.GetPixelColor(0, 1, false).rgbBlue, 1);
    EXPECT_EQ(img.AlphaGet(0, 1), 10);
    EXPECT_EQ(img.AlphaGet(1, 0), 40);
    EXPECT_EQ(img.GetPixelColor(1, 0, false).rgbRed, 13);
    EXPECT_FALSE(img.CreateFromArray(px, 2, 2, 16, 8, false));

    BYTE row0[3] = {0, 128, 255};
    BYTE* rows[2] = {row0, nullptr};
    ASSERT_TRUE(img.CreateFromMatrix(rows, 3, 2, 8, 3, false));
    EXPECT_TRUE(img.IsGrayScale());
    EXPECT_EQ(img.GetPixelIndex(2, 0), 255);
    EXPECT_EQ(img.GetPixelIndex(2, 1), 0);

    // 5-6-5 pure red and pure green, converted in place from the image's own rows.
    TestImage bf(2, 1, 24);
    BYTE* bits = bf.GetBits();
    const BYTE packed[4] = {0x00, 0xF8, 0xE0, 0x07};
    std::copy(packed, packed + 4, bits);
    bf.Bitfield2RGB(bits, 0xF800, 0x07E0, 0x001F, 16);
    EXPECT_EQ(Rgb(bf, 0, 0), RGB(0xF8, 0, 0));
    EXPECT_EQ(Rgb(bf, 1, 0), RGB(0, 0xFC, 0));
}

TEST(PixImageInfo, SetterRules) {
    TestImage img;
    for (long bad : {0L, -5L}) {
        img.SetXDPI(bad);
        EXPECT_EQ(img.GetXDPI(), 96);
        EXPECT_EQ(img.Header().biXPelsPerMeter, 3780);
    }
    img.SetYDPI(300);
    EXPECT_EQ(img.Header().biYPelsPerMeter, 11811);
    // A resolution from a hostile file must not overflow the header's pixels per metre.
    img.SetYDPI(std::numeric_limits<long>::max());
    EXPECT_GT(img.Header().biYPelsPerMeter, 0);
    EXPECT_EQ(img.GetYDPI(), 50000000);
    img.SetFlags(0x10005);
    EXPECT_EQ(img.GetFlags(), 5u) << "reserved flags are locked";
    img.SetFlags(0x10005, false);
    EXPECT_EQ(img.GetFlags(), 0x10005u);
    EXPECT_FALSE(img.SetCodecOption(1, 16));
    EXPECT_EQ(img.GetCodecOption(16), 0u);
    img.SetTransColor(Quad(1, 2, 3, 0xFF));
    EXPECT_EQ(img.GetTransColor().rgbReserved, 0);

    CPixImage rgb(2, 2, 24);
    rgb.SetTransIndex(1);
    rgb.SetTransColor(Quad(9, 9, 9));
    EXPECT_EQ(rgb.GetTransColor().rgbRed, 9) << "24 bits: the colour, not a palette entry";
    EXPECT_EQ(rgb.GetColorType(), 2);
    rgb.AlphaCreate();
    EXPECT_EQ(rgb.GetColorType(), 4);
}

} // namespace
