#include <gtest/gtest.h>

#include <limits>

#include <cstring>

#include "imagelib/PixImage.h"

namespace {

// Reaches the protected members that codecs and transforms use.
class TestImage : public CPixImage {
public:
    using CPixImage::CPixImage;
    using CPixImage::Ghost;
    using CPixImage::CopyInfo;
    using CPixImage::Bitfield2RGB;
    CPixImage* GhostOf() const { return info.ghostOf; }
    const BITMAPINFOHEADER& Header() const { return header; }
    BYTE* Selection() const { return selection; }
    void MakeSelection()
    {
        selection = static_cast<BYTE*>(std::calloc(PlaneSize(), 1));
    }
};

RGBQUAD Quad(BYTE r, BYTE g, BYTE b, BYTE a = 0)
{
    RGBQUAD q;
    q.rgbRed = r;
    q.rgbGreen = g;
    q.rgbBlue = b;
    q.rgbReserved = a;
    return q;
}

bool Same(RGBQUAD a, RGBQUAD b)
{
    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue && a.rgbReserved == b.rgbReserved;
}

TEST(PixImageCreate, NormalisesDepthAndLaysOutRows)
{
    CPixImage img;
    ASSERT_NE(img.Create(1, 1, 0), nullptr);
    EXPECT_EQ(img.GetBpp(), 1);
    EXPECT_EQ(img.GetNumColors(), 2u);
    EXPECT_EQ(img.GetEffWidth(), 4u);
    EXPECT_TRUE(Same(img.GetPaletteColor(1), Quad(0, 0, 0)));

    ASSERT_NE(img.Create(5, 1, 16), nullptr);
    EXPECT_EQ(img.GetBpp(), 24);
    EXPECT_EQ(img.GetEffWidth(), 16u);
    EXPECT_EQ(img.GetNumColors(), 0u);

    ASSERT_NE(img.Create(3, 2, 2), nullptr);
    EXPECT_EQ(img.GetBpp(), 4);
    EXPECT_EQ(img.GetNumColors(), 16u);

    ASSERT_NE(img.Create(7, 3, 8, PIXFORMAT_PNG), nullptr);
    EXPECT_EQ(img.GetType(), static_cast<DWORD>(PIXFORMAT_PNG));
    BYTE* start = static_cast<BYTE*>(img.GetDIB());
    EXPECT_EQ(img.GetBits(0), start + 40 + 1024);
    EXPECT_EQ(img.GetBits(2), start + 40 + 1024 + 2 * 8);
    EXPECT_EQ(img.GetBits(3), nullptr);
    EXPECT_EQ(img.GetSize(), 40 + 1024 + 8 * 3);
    // The block begins with a little-endian header that Windows-style readers take as a packed DIB.
    EXPECT_EQ(start[0], 40);
    EXPECT_EQ(start[4], 7);
    EXPECT_EQ(start[8], 3);
    EXPECT_EQ(start[14], 8);
}

TEST(PixImageCreate, RefusesEmptyAndOversizedPictures)
{
    TestImage img(4, 4, 24);
    img.AlphaCreate();
    img.MakeSelection();
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
}

TEST(PixImageCreate, CreateDropsMasks)
{
    TestImage img(4, 4, 24);
    img.AlphaCreate();
    img.MakeSelection();
    ASSERT_NE(img.Create(2, 2, 8), nullptr);
    EXPECT_FALSE(img.AlphaIsValid());
    EXPECT_EQ(img.Selection(), nullptr);
}

TEST(PixImageCreate, ClearFillsPixelBytesByDepth)
{
    CPixImage one(9, 2, 1);
    one.Clear(7);
    for (DWORD i = 0; i < 2 * one.GetEffWidth(); ++i)
        ASSERT_EQ(one.GetBits()[i], 255);
    CPixImage four(5, 2, 4);
    four.Clear(0x35);
    for (DWORD i = 0; i < 2 * four.GetEffWidth(); ++i)
        ASSERT_EQ(four.GetBits()[i], 0x55);
    EXPECT_EQ(four.GetPixelIndex(3, 1), 5);
}

TEST(PixImageCopy, CopiesPixelsPaletteInfoAndMasks)
{
    TestImage src(3, 2, 8, PIXFORMAT_GIF);
    src.SetPaletteColor(5, 10, 20, 30);
    src.SetPixelIndex(2, 1, 5);
    src.AlphaCreate();
    src.AlphaSet(1, 1, 77);
    src.MakeSelection();
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
    EXPECT_TRUE(Same(bare.GetPaletteColor(5), Quad(10, 20, 30)));
    EXPECT_EQ(bare.GetWidth(), 3u);
}

TEST(PixImageCopy, CopyFromItselfAndAssignToItselfDoNothing)
{
    CPixImage img(4, 3, 24);
    img.SetPixelColor(1, 1, RGB(1, 2, 3));
    img.AlphaCreate();
    img.AlphaSet(1, 1, 9);
    img.Copy(img);
    img = img;
    EXPECT_TRUE(img.IsValid());
    EXPECT_EQ(img.GetPixelColor(1, 1).rgbRed, 1);
    EXPECT_EQ(img.AlphaGet(1, 1), 9);
}

TEST(PixImageCopy, CopyKeepsTheTargetsGhostState)
{
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

TEST(PixImageCopy, CopyOfEmptyImageEmptiesTarget)
{
    CPixImage empty;
    CPixImage img(3, 3, 24);
    img.Copy(empty);
    EXPECT_FALSE(img.IsValid());
}

TEST(PixImageTransfer, MovesEverythingAndEmptiesTheSource)
{
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

TEST(PixImageGhost, SharesWithoutOwning)
{
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

TEST(PixImageCopy, CopyInfoOnlyIntoAnEmptyImage)
{
    CPixImage src(2, 2, 24);
    src.SetJpegQuality(33);
    TestImage target;
    target.CopyInfo(src);
    EXPECT_EQ(target.GetJpegQuality(), 33);
    TestImage full(2, 2, 24);
    full.CopyInfo(src);
    EXPECT_EQ(full.GetJpegQuality(), 90);
}

TEST(PixImageCreate, FromArrayAndMatrix)
{
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

    BYTE row0[3] = {0, 128, 255};
    BYTE* rows[2] = {row0, nullptr};
    ASSERT_TRUE(img.CreateFromMatrix(rows, 3, 2, 8, 3, false));
    EXPECT_TRUE(img.IsGrayScale());
    EXPECT_EQ(img.GetPixelIndex(2, 0), 255);
    EXPECT_EQ(img.GetPixelIndex(2, 1), 0);
    EXPECT_FALSE(img.CreateFromArray(px, 2, 2, 16, 8, false));
}

TEST(PixImageCreate, Bitfield2RGBConvertsInPlace)
{
    TestImage img(2, 1, 24);
    // 5-6-5: pure red and pure green, stored in the image's own rows.
    BYTE* bits = img.GetBits();
    bits[0] = 0x00; bits[1] = 0xF8; // red
    bits[2] = 0xE0; bits[3] = 0x07; // green
    img.Bitfield2RGB(bits, 0xF800, 0x07E0, 0x001F, 16);
    EXPECT_TRUE(Same(img.GetPixelColor(0, 0, false), Quad(0xF8, 0, 0)));
    EXPECT_TRUE(Same(img.GetPixelColor(1, 0, false), Quad(0, 0xFC, 0)));
}

TEST(PixImageInfo, AccessorRules)
{
    CPixImage img;
    img.SetXDPI(0);
    EXPECT_EQ(img.GetXDPI(), 96);
    img.SetXDPI(-5);
    EXPECT_EQ(img.GetXDPI(), 96);
    TestImage made;
    made.SetXDPI(0);
    EXPECT_EQ(made.Header().biXPelsPerMeter, 3780);
    made.SetYDPI(300);
    EXPECT_EQ(made.Header().biYPelsPerMeter, 11811);
    // A resolution from a hostile file must not overflow the header's pixels per metre.
    made.SetYDPI(std::numeric_limits<long>::max());
    EXPECT_GT(made.Header().biYPelsPerMeter, 0);
    EXPECT_EQ(made.GetYDPI(), 50000000);
    img.SetFlags(0x10005);
    EXPECT_EQ(img.GetFlags(), 5u);
    img.SetFlags(0x10005, false);
    EXPECT_EQ(img.GetFlags(), 0x10005u);
    EXPECT_EQ(img.GetCodecOption(16), 0u);
    EXPECT_FALSE(img.SetCodecOption(1, 16));
    EXPECT_TRUE(img.SetCodecOption(7, PIXFORMAT_JPG));
    EXPECT_EQ(img.GetCodecOption(PIXFORMAT_JPG), 7u);
    img.SetTransColor(Quad(1, 2, 3, 0xFF));
    EXPECT_EQ(img.GetTransColor().rgbReserved, 0);
    CPixImage rgb(2, 2, 24);
    rgb.SetTransIndex(1);
    rgb.SetTransColor(Quad(9, 9, 9));
    EXPECT_EQ(rgb.GetTransColor().rgbRed, 9);
    EXPECT_EQ(rgb.GetColorType(), 2);
    rgb.AlphaCreate();
    EXPECT_EQ(rgb.GetColorType(), 4);
    EXPECT_STREQ(CPixImage::GetVersion(), "CPixImage 1.0.0");
    CPixImage fresh;
    EXPECT_EQ(fresh.GetTransIndex(), -1);
    EXPECT_EQ(fresh.GetJpegQuality(), 90);
    EXPECT_EQ(fresh.AlphaGetMax(), 255);
    EXPECT_TRUE(fresh.IsEnabled());
}

} // namespace
