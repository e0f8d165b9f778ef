#include <gtest/gtest.h>

#include "imagelib/codecs/PixImageTGA.h"
#include "tests/imagelib/ImageTestUtil.h"

using namespace imgtest;

namespace {

// An 18-byte TGA header followed by the given bytes.
Bytes Tga(BYTE mapType, BYTE type, uint32_t mapLength, BYTE mapBits, uint32_t w, uint32_t h, BYTE depth, BYTE desc,
          const Bytes& rest, uint32_t mapFirst = 0) {
    Bytes b = {0, mapType, type};
    PutLE(b, mapFirst, 2);
    PutLE(b, mapLength, 2);
    b.push_back(mapBits);
    PutLE(b, 0, 4);
    PutLE(b, w, 2);
    PutLE(b, h, 2);
    b.push_back(depth);
    b.push_back(desc);
    b.insert(b.end(), rest.begin(), rest.end());
    return b;
}

} // namespace

TEST(TgaCodecTest, DecodesPacketsAcrossRowsOrientationsAndDepths) {
    // 6 x 2 grey, run-length: a raw packet of 4, then a run of 6 crossing into the top row, then
    // a run of 1 and a raw packet of 1 ending it.
    const Bytes packed = {3, 10, 11, 12, 13, 128 + 5, 99, 128, 20, 0, 21};
    CPixImageTGA rle;
    ASSERT_TRUE(DecodeBytes(rle, Tga(0, 11, 0, 0, 6, 2, 8, 0, packed))) << rle.GetLastError();
    const BYTE want[2][6] = {{10, 11, 12, 13, 99, 99}, {99, 99, 99, 99, 20, 21}};
    for (long y = 0; y < 2; ++y)
        for (long x = 0; x < 6; ++x)
            EXPECT_EQ(rle.GetPixelIndex(x, y), want[y][x]) << x << "," << y;
    EXPECT_TRUE(rle.IsGrayScale());

    // 32 bits, 2 x 2: bottom-up, top-down, and mirrored in one raw packet after an identification
    // field, decode to one picture with its alpha.
    Bytes withId = Tga(0, 10, 0, 0, 2, 2, 32, 0x18, {3, 4, 5, 6, 20, 1, 2, 3, 10, 10, 11, 12, 40, 7, 8, 9, 30});
    withId[0] = 3;
    withId.insert(withId.begin() + 18, {'i', 'd', 0});
    const Bytes files[] = {
        Tga(0, 2, 0, 0, 2, 2, 32, 8, {1, 2, 3, 10, 4, 5, 6, 20, 7, 8, 9, 30, 10, 11, 12, 40}),
        Tga(0, 2, 0, 0, 2, 2, 32, 0x28, {7, 8, 9, 30, 10, 11, 12, 40, 1, 2, 3, 10, 4, 5, 6, 20}), withId};
    for (const Bytes& f : files) {
        CPixImageTGA img;
        ASSERT_TRUE(DecodeBytes(img, f)) << img.GetLastError();
        for (long i = 0; i < 4; ++i) { // bottom row first, each stored as blue, green, red, alpha
            EXPECT_EQ(Rgb(img, i % 2, i / 2), RGB(3 * i + 3, 3 * i + 2, 3 * i + 1)) << i;
            EXPECT_EQ(img.AlphaGet(i % 2, i / 2), 10 * (i + 1)) << i;
        }
    }

    // 16 bits: 5-5-5 widened by repeating the bits, as bitmaps widen them, so white stays white.
    // A colour map of 16-bit entries starting at entry 5.
    CPixImageTGA hi;
    ASSERT_TRUE(DecodeBytes(hi, Tga(0, 2, 0, 0, 2, 1, 16, 0, {0xFF, 0xFF, 0x10, 0x42})));
    EXPECT_EQ(Rgb(hi, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(Rgb(hi, 1, 0), RGB(132, 132, 132));
    CPixImageTGA mapped;
    ASSERT_TRUE(DecodeBytes(mapped, Tga(1, 1, 2, 16, 2, 1, 8, 0, {0x1F, 0x00, 0x00, 0x7C, 5, 6}, 5)));
    EXPECT_EQ(Rgb(mapped, 0, 0), RGB(0, 0, 255));
    EXPECT_EQ(Rgb(mapped, 1, 0), RGB(255, 0, 0));
    for (BYTE bits : {15, 32}) { // the other colour map entries: 5-5-5 and blue, green, red, alpha
        Bytes rest = bits == 15 ? Bytes{0x1F, 0x00} : Bytes{248, 0, 0, 7};
        rest.push_back(0);
        CPixImageTGA other;
        ASSERT_TRUE(DecodeBytes(other, Tga(1, 1, 1, bits, 1, 1, 8, 0, rest))) << int(bits);
        EXPECT_EQ(Rgb(other, 0, 0), RGB(0, 0, bits == 15 ? 255 : 248));
    }
}

TEST(TgaCodecTest, RefusesHostileFiles) {
    EXPECT_FALSE(CPixImageTGA().Decode(static_cast<CPixFile*>(nullptr)));
    Bytes pcxLike = {10, 5, 1, 8};
    pcxLike.resize(200, 0);
    pcxLike[12 + 0] = 20; // sizes of a PCX header read as TGA fields
    const struct {
        const char* name;
        Bytes file;
        const char* error;
    } cases[] = {
        {"short header", {0, 0, 2, 0}, "Not a TGA"},
        {"unknown type", Tga(0, 4, 0, 0, 1, 1, 8, 0, {0}), "Unknown TGA image type"},
        {"grey of 24 bits", Tga(0, 3, 0, 0, 1, 1, 24, 0, {0, 0, 0}), "bad TGA header"},
        {"true colour of 8 bits", Tga(0, 2, 0, 0, 1, 1, 8, 0, {0}), "bad TGA header"},
        {"colour-mapped without map", Tga(0, 1, 0, 0, 1, 1, 8, 0, {0}), "bad TGA header"},
        {"map of 8-bit entries", Tga(1, 1, 1, 8, 1, 1, 8, 0, {0, 0}), "bad TGA header"},
        {"PCX header", pcxLike, "bad TGA header"},
        {"claims gigabytes", Tga(0, 2, 0, 0, 30000, 30000, 24, 0, Bytes(100, 0)), "corrupted TGA"},
        {"cut colour map", Tga(1, 1, 256, 24, 1, 1, 8, 0, Bytes(30, 0)), "corrupted TGA"},
        {"cut row", Tga(0, 2, 0, 0, 3, 2, 24, 0, Bytes(17, 0)), "corrupted TGA"},
        {"cut run value", Tga(0, 10, 0, 0, 3, 1, 24, 0, {0x82, 1, 2}), "corrupted TGA"},
        {"cut raw packet", Tga(0, 10, 0, 0, 3, 1, 24, 0, {0x02, 1, 2, 3, 4, 5, 6, 7}), "corrupted TGA"},
    };
    for (const auto& c : cases) {
        CPixImageTGA img;
        EXPECT_FALSE(DecodeBytes(img, c.file)) << c.name;
        EXPECT_STREQ(img.GetLastError(), c.error) << c.name;
    }
}

TEST(TgaCodecTest, EncodesEightTwentyFourAndThirtyTwoBits) {
    CPixImageTGA four;
    ASSERT_TRUE(four.Create(2, 2, 4, PIXFORMAT_TGA));
    EncodeBytes(four, false);
    EXPECT_STREQ(four.GetLastError(), "Bit depth must be 8 or 24");
    for (DWORD bpp : {8u, 24u}) { // without alpha: rows as they are, 8 bits after a 24-bit colour map
        CPixImage plain = Picture(bpp, false, 5, 3);
        const Bytes file = EncodeAs(plain, PIXFORMAT_TGA);
        EXPECT_EQ(file[16], bpp);
        EXPECT_EQ(file.size(), 18u + (bpp == 8 ? 768 + 15 : 45));
    }

    CPixImageTGA img;
    ASSERT_TRUE(img.Create(3, 2, 24, PIXFORMAT_TGA));
    img.SetPixelColor(2, 1, RGB(10, 20, 30));
    img.AlphaCreate();
    img.AlphaSetMax(128);
    img.AlphaSet(2, 1, 200);
    const Bytes file = EncodeBytes(img);
    ASSERT_EQ(file.size(), 18u + 6 * 4);
    EXPECT_EQ(file[16], 32);
    EXPECT_EQ(file[17], 8) << "eight alpha bits declared";
    EXPECT_EQ(file.back(), 200 * 128 / 255);
    CPixImageTGA back;
    ASSERT_TRUE(DecodeBytes(back, file));
    EXPECT_EQ(Rgb(back, 2, 1), RGB(10, 20, 30));
    EXPECT_EQ(back.AlphaGet(2, 1), 200 * 128 / 255);
}
