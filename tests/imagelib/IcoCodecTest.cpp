#include <gtest/gtest.h>

#include "imagelib/codecs/PixImageICO.h"
#include "imagelib/codecs/PixImagePNG.h"
#include "tests/imagelib/ImageTestUtil.h"

using namespace imgtest;

namespace {

// One image of an icon file: header fields, palette, XOR rows and AND mask as stored.
struct IcoEntry {
    BYTE w = 2, h = 2;
    uint32_t headerSize = 40;
    uint16_t bits = 4;
    uint32_t clrUsed = 0;
    Bytes palette, pixels, mask;
    Bytes raw; // stored as it stands instead (a PNG file)
};

Bytes Ico(const std::vector<IcoEntry>& entries, uint16_t type = 1) {
    Bytes dir = {0, 0, static_cast<uint8_t>(type), 0, static_cast<uint8_t>(entries.size()), 0};
    Bytes data;
    uint32_t offset = static_cast<uint32_t>(6 + 16 * entries.size());
    for (const IcoEntry& e : entries) {
        Bytes img = e.raw;
        if (img.empty()) {
            for (uint32_t v : {e.headerSize, uint32_t{e.w}, e.h * 2u})
                PutLE(img, v, 4);
            PutLE(img, 1, 2);
            PutLE(img, e.bits, 2);
            for (uint32_t v : {0u, 0u, 0u, 0u, e.clrUsed, 0u})
                PutLE(img, v, 4);
            for (const Bytes* part : {&e.palette, &e.pixels, &e.mask})
                img.insert(img.end(), part->begin(), part->end());
        }
        dir.insert(dir.end(), {e.w, e.h, 0, 0});
        PutLE(dir, 1, 2);
        PutLE(dir, e.bits, 2);
        PutLE(dir, static_cast<uint32_t>(img.size()), 4);
        PutLE(dir, offset, 4);
        offset += static_cast<uint32_t>(img.size());
        data.insert(data.end(), img.begin(), img.end());
    }
    dir.insert(dir.end(), data.begin(), data.end());
    return dir;
}

// Palette entry i is (10 i, 20 i, 30 i) as blue, green, red, reserved.
Bytes Palette(int n) {
    Bytes b;
    for (int i = 0; i < n; ++i)
        b.insert(b.end(), {static_cast<BYTE>(30 * i), static_cast<BYTE>(20 * i), static_cast<BYTE>(10 * i), 0});
    return b;
}

// A 2 x 2 4-bit icon using indices 0 and 1; the bottom-left pixel masked.
IcoEntry FourBit() {
    IcoEntry e;
    e.palette = Palette(16);
    e.pixels = {0x01, 0, 0, 0, 0x10, 0, 0, 0};
    e.mask = {0x80, 0, 0, 0, 0, 0, 0, 0};
    return e;
}

} // namespace

TEST(IcoCodecTest, DecodesEntriesCursorsAndTheirMasks) {
    IcoEntry third = FourBit();
    third.w = 1;
    const Bytes three = Ico({FourBit(), FourBit(), third});
    CPixImageICO img;
    img.SetFrame(2);
    ASSERT_TRUE(DecodeBytes(img, three)) << img.GetLastError();
    EXPECT_EQ(img.GetWidth(), 1u);
    EXPECT_EQ(img.GetNumFrames(), 3);
    CPixImageICO past;
    past.SetFrame(3);
    EXPECT_FALSE(DecodeBytes(past, three));

    // Masked pixels take the first unused index; no alpha plane is left.
    CPixImageICO cursor;
    ASSERT_TRUE(DecodeBytes(cursor, Ico({FourBit()}, 2)));
    EXPECT_EQ(cursor.GetTransIndex(), 2);
    EXPECT_EQ(cursor.GetPixelIndex(0, 0), 2);
    EXPECT_EQ(cursor.GetPixelIndex(1, 0), 1);
    EXPECT_FALSE(cursor.AlphaIsValid());

    // 24 bits, masked pixels all black: a transparent colour.
    IcoEntry rgb;
    rgb.bits = 24;
    rgb.pixels = {0, 0, 0, 9, 9, 9, 0, 0, 1, 2, 3, 4, 5, 6, 0, 0};
    rgb.mask = {0x80, 0, 0, 0, 0, 0, 0, 0};
    CPixImageICO colour;
    ASSERT_TRUE(DecodeBytes(colour, Ico({rgb})));
    EXPECT_EQ(colour.GetTransIndex(), 0);
    EXPECT_EQ(Rgb(colour.GetTransColor()), RGB(0, 0, 0));
    EXPECT_FALSE(colour.AlphaIsValid());

    // 32 bits: the alpha stays; an all-zero alpha means the mask decides.
    IcoEntry rgba;
    rgba.bits = 32;
    rgba.pixels = {1, 2, 3, 50, 4, 5, 6, 60, 7, 8, 9, 70, 1, 1, 1, 80};
    rgba.mask = Bytes(8, 0);
    CPixImageICO alpha;
    ASSERT_TRUE(DecodeBytes(alpha, Ico({rgba})));
    EXPECT_EQ(alpha.AlphaGet(1, 0), 60);
    for (size_t i = 3; i < 16; i += 4)
        rgba.pixels[i] = 0;
    rgba.mask = {0x40, 0, 0, 0, 0, 0, 0, 0};
    CPixImageICO zero;
    ASSERT_TRUE(DecodeBytes(zero, Ico({rgba})));
    EXPECT_EQ(zero.AlphaGet(0, 0), 255);
    EXPECT_EQ(zero.AlphaGet(1, 0), 0);

    // A mask with every bit set inverts the picture, but never a 32-bit one.
    rgba.mask = Bytes(8, 0xFF);
    CPixImageICO whole;
    ASSERT_TRUE(DecodeBytes(whole, Ico({rgba})));
    EXPECT_EQ(Rgb(whole, 0, 0), RGB(3, 2, 1));
    EXPECT_EQ(whole.AlphaGet(0, 0), 0);
    IcoEntry inverted = FourBit();
    inverted.mask = Bytes(8, 0xFF);
    CPixImageICO negative;
    ASSERT_TRUE(DecodeBytes(negative, Ico({inverted})));
    EXPECT_EQ(Rgb(negative, 0, 1), RGB(245, 235, 225));
    EXPECT_EQ(negative.GetTransIndex(), 0);
}

TEST(IcoCodecTest, ReadsUsedColourCountsLargeSizesAndPngEntries) {
    IcoEntry three; // 8 bits, three palette entries, pixels straight after them
    three.bits = 8;
    three.clrUsed = 3;
    three.palette = Palette(3);
    three.pixels = {2, 1, 0, 0, 0, 0, 0, 0};
    three.mask = Bytes(8, 0);
    CPixImageICO img;
    ASSERT_TRUE(DecodeBytes(img, Ico({three})));
    EXPECT_EQ(Rgb(img, 0, 0), RGB(20, 40, 60));

    IcoEntry large = FourBit(); // a size byte of 0 is 256
    large.w = 0;
    large.pixels.assign(128 * 2, 0x11);
    large.mask.assign(32 * 2, 0);
    CPixImageICO wide;
    ASSERT_TRUE(DecodeBytes(wide, Ico({large})));
    EXPECT_EQ(wide.GetWidth(), 256u);

    CPixImagePNG png;
    ASSERT_TRUE(png.Create(3, 2, 24, PIXFORMAT_PNG));
    png.SetPixelColor(2, 1, RGB(1, 2, 3));
    IcoEntry packed;
    packed.raw = EncodeBytes(png);
    CPixImageICO fromPng;
    fromPng.SetFrame(1);
    ASSERT_TRUE(DecodeBytes(fromPng, Ico({FourBit(), packed}))) << fromPng.GetLastError();
    EXPECT_EQ(fromPng.GetType(), PIXFORMAT_ICO);
    EXPECT_EQ(fromPng.GetNumFrames(), 2);
    EXPECT_EQ(Rgb(fromPng, 2, 1), RGB(1, 2, 3));
}

TEST(IcoCodecTest, RefusesHostileFiles) {
    IcoEntry core = FourBit();
    core.headerSize = 12;
    IcoEntry sixteen = FourBit();
    sixteen.bits = 16;
    IcoEntry cutPixels = FourBit();
    cutPixels.pixels.resize(5);
    cutPixels.mask.clear();
    IcoEntry huge = FourBit();
    huge.w = huge.h = 0;
    huge.bits = 32;
    huge.pixels = Bytes(20, 0);
    Bytes offsetPastEnd = Ico({FourBit()});
    offsetPastEnd[18] = 0xFF;
    for (const Bytes& file : {Ico({core}), Ico({sixteen}), Ico({cutPixels}), Ico({huge}), offsetPastEnd}) {
        CPixImageICO img;
        EXPECT_FALSE(DecodeBytes(img, file));
        EXPECT_STREQ(img.GetLastError(), "corrupted ICO");
    }
    // A missing or cut mask is not used; the icon is read all the same.
    for (size_t maskBytes : {0, 3, 7}) {
        IcoEntry cutMask = FourBit();
        cutMask.mask.resize(maskBytes);
        CPixImageICO opaque;
        EXPECT_TRUE(DecodeBytes(opaque, Ico({cutMask}))) << maskBytes << " mask bytes: " << opaque.GetLastError();
        EXPECT_FALSE(opaque.IsTransparent()) << maskBytes;
        EXPECT_FALSE(opaque.AlphaIsValid()) << maskBytes;
        EXPECT_EQ(opaque.GetPixelIndex(1, 0), 1) << maskBytes;
    }
}

TEST(IcoCodecTest, EncodesSizesDepthsAndTheMask) {
    CPixImageICO big;
    ASSERT_TRUE(big.Create(256, 255, 8, PIXFORMAT_ICO));
    EncodeBytes(big, false);
    EXPECT_STREQ(big.GetLastError(), "Can't save this image as icon");
    ASSERT_TRUE(big.Create(255, 255, 8, PIXFORMAT_ICO));
    EncodeBytes(big);

    CPixImageICO img;
    ASSERT_TRUE(img.Create(3, 2, 24, PIXFORMAT_ICO));
    img.SetPixelColor(1, 1, RGB(7, 8, 9));
    img.AlphaCreate();
    img.AlphaSet(2, 1, 0);
    const Bytes file = EncodeBytes(img);
    EXPECT_EQ(file[12], 32);
    EXPECT_EQ(file[22 + 20], 3 * 2 * 4) << "image size of 32-bit pixels";
    ASSERT_EQ(file.size(), 22u + 40 + 24 + 8);
    EXPECT_EQ(file[22 + 40 + 24 + 4], 0x20) << "top row, third pixel masked";
}
