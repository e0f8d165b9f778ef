#include <gtest/gtest.h>

#include "imagelib/codecs/PixImagePCX.h"
#include "tests/imagelib/ImageTestUtil.h"

using namespace imgtest;

namespace {

// A 128-byte PCX header followed by the given bytes.
Bytes Pcx(BYTE bits, BYTE planes, uint32_t xmin, uint32_t xmax, uint32_t ymax, uint32_t bytesPerLine, const Bytes& rest,
          const Bytes& colourMap = {}) {
    Bytes b = {10, 5, 1, bits};
    for (uint32_t v : {xmin, 0u, xmax, ymax})
        PutLE(b, v, 2);
    b.resize(16, 0);
    b.insert(b.end(), colourMap.begin(), colourMap.end());
    b.resize(65, 0);
    b.push_back(planes);
    PutLE(b, bytesPerLine, 2);
    b.resize(128, 0);
    b.insert(b.end(), rest.begin(), rest.end());
    return b;
}

} // namespace

TEST(PcxCodecTest, WritesPaddedPlaneLinesAndLongRuns) {
    CPixImagePCX img;
    ASSERT_TRUE(img.Create(3, 2, 24, PIXFORMAT_PCX));
    img.SetPixelColor(0, 1, RGB(200, 1, 2));
    const Bytes file = EncodeBytes(img);
    EXPECT_EQ(file[66], 4) << "bytes per line raised to even";
    // Top row, red plane: 200 (a count byte is needed), then two zeros, then the pad byte.
    EXPECT_EQ(Bytes(file.begin() + 128, file.begin() + 133), (Bytes{0xC1, 200, 0xC2, 0, 0}));

    CPixImagePCX runs;
    ASSERT_TRUE(runs.Create(100, 1, 8, PIXFORMAT_PCX));
    runs.Clear(7);
    const Bytes packed = EncodeBytes(runs);
    EXPECT_EQ(Bytes(packed.begin() + 128, packed.begin() + 132), (Bytes{0xFF, 7, 0xE5, 7}));
    EXPECT_EQ(packed[132], 12);
}

TEST(PcxCodecTest, DecodesOffsetsPackedPixelsAndPlanes) {
    CPixImagePCX offset;
    ASSERT_TRUE(DecodeBytes(offset, Pcx(8, 1, 10, 19, 0, 10, [] {
        Bytes b(10, 3);
        b.push_back(12);
        b.resize(b.size() + 768, 9);
        return b;
    }())));
    EXPECT_EQ(offset.GetWidth(), 10u);
    EXPECT_EQ(Rgb(offset, 0, 0), RGB(9, 9, 9));

    const Bytes map = {0, 0, 0, 10, 20, 30, 40, 50, 60, 70, 80, 90};
    CPixImagePCX twoBit;
    ASSERT_TRUE(DecodeBytes(twoBit, Pcx(2, 1, 0, 3, 0, 2, {0x1B, 0}, map)));
    EXPECT_EQ(twoBit.GetBpp(), 4);
    EXPECT_EQ(Rgb(twoBit, 1, 0), RGB(10, 20, 30));
    EXPECT_EQ(Rgb(twoBit, 3, 0), RGB(70, 80, 90));

    CPixImagePCX planes; // three 1-bit planes give indices up to 7
    ASSERT_TRUE(DecodeBytes(planes, Pcx(1, 3, 0, 1, 0, 1, {0x80, 0x80, 0x40})));
    EXPECT_EQ(planes.GetPixelIndex(0, 0), 3);
    EXPECT_EQ(planes.GetPixelIndex(1, 0), 4);

    CPixImagePCX cancelled;
    cancelled.SetEscape(1);
    EXPECT_FALSE(DecodeBytes(cancelled, Pcx(8, 3, 0, 0, 0, 2, Bytes(6, 1))));
    EXPECT_STREQ(cancelled.GetLastError(), "Cancelled");
}

TEST(PcxCodecTest, RefusesHostileFiles) {
    const struct {
        const char* name;
        Bytes file;
        const char* error;
    } cases[] = {
        {"short header", Bytes(100, 10), "Can't read PCX image"},
        {"Xmax below Xmin", Pcx(8, 1, 5, 4, 0, 2, Bytes(800, 0)), "corrupted PCX"},
        {"lines shorter than the width", Pcx(8, 3, 0, 9, 0, 4, Bytes(800, 1)), "corrupted PCX"},
        {"claims gigabytes", Pcx(8, 1, 0, 29999, 29999, 30000, Bytes(100, 0xFF)), "corrupted PCX"},
        {"two planes of 8 bits", Pcx(8, 2, 0, 0, 0, 2, Bytes(10, 1)), "Can't handle more than 1 bit per pixel"},
        {"three-bit pixels", Pcx(3, 1, 0, 0, 0, 2, Bytes(10, 1)), "corrupted PCX"},
        {"five planes", Pcx(1, 5, 0, 0, 0, 2, Bytes(10, 1)), "Can't handle image with more than 4 planes"},
        {"count without value", Pcx(8, 3, 0, 3, 0, 4, {1, 2, 0xC3}), "corrupted PCX"},
        {"run past the image", Pcx(8, 3, 0, 1, 0, 2, {0xC7, 1, 0, 0}), "repeat count spans end of image"},
        {"bad colour map signature", Pcx(8, 1, 0, 1, 0, 2, {1, 2, 11}), "bad color map signature"},
        {"cut palette", Pcx(8, 1, 0, 1, 0, 2, {1, 2, 12, 0, 0}), "corrupted PCX"},
    };
    for (const auto& c : cases) {
        CPixImagePCX img;
        EXPECT_FALSE(DecodeBytes(img, c.file)) << c.name;
        EXPECT_STREQ(img.GetLastError(), c.error) << c.name;
    }
}

TEST(PcxCodecTest, WritesWhiteOnBlackOneBitPicturesInverted) {
    CPixImagePCX img;
    ASSERT_TRUE(img.Create(8, 1, 1, PIXFORMAT_PCX));
    img.SetPaletteColor(0, RGB(255, 255, 255));
    img.SetPaletteColor(1, RGB(0, 0, 0));
    img.SetPixelIndex(0, 0, 1);
    const Bytes file = EncodeBytes(img);
    EXPECT_EQ(file[128], 0x7F) << "the file's set bits are white";
    CPixImagePCX back;
    ASSERT_TRUE(DecodeBytes(back, file));
    EXPECT_EQ(Rgb(back, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(Rgb(back, 1, 0), RGB(255, 255, 255));
}

TEST(PcxCodecTest, ReadsBackEveryUniformRowItWrites) {
    // Widths whose plane lines end in a single byte after full runs of 63; the 1-bit ones have
    // no palette after the data, so that byte is the last of the file.
    const struct {
        const char* name;
        DWORD bpp;
        bool alpha;
        BYTE fill; // palette index, or grey level for true colour
    } depths[] = {
        {"1 bit black", 1, false, 0}, {"1 bit white", 1, false, 1}, {"4 bits", 4, false, 9},
        {"8 bits", 8, false, 200},    {"24 bits", 24, false, 77},   {"24 bits and alpha", 24, true, 150},
    };
    std::vector<DWORD> widths;
    for (DWORD w = 497; w <= 512; ++w)
        widths.push_back(w);
    for (DWORD w = 1513; w <= 1520; ++w)
        widths.push_back(w);
    for (const auto& d : depths) {
        for (const DWORD w : widths) {
            SCOPED_TRACE(testing::Message() << d.name << ", width " << w);
            CPixImagePCX img;
            ASSERT_TRUE(img.Create(w, 1, d.bpp, PIXFORMAT_PCX));
            if (d.bpp <= 8) {
                img.SetGrayPalette();
                img.Clear(d.fill);
            } else {
                ForEachPixel(img,
                             [&](long x, long y) { img.SetPixelColor(x, y, RGB(d.fill, d.fill, d.fill)); });
            }
            if (d.alpha) {
                img.AlphaCreate();
                img.AlphaSet(40);
            }
            CPixImagePCX back;
            if (!DecodeBytes(back, EncodeBytes(img))) {
                ADD_FAILURE() << back.GetLastError();
                continue;
            }
            ASSERT_EQ(back.GetWidth(), w);
            EXPECT_EQ(MaxDifference(img, back), 0);
            EXPECT_EQ(back.AlphaIsValid(), d.alpha);
            if (d.alpha) {
                EXPECT_EQ(back.AlphaGet(static_cast<long>(w) - 1, 0), 40);
            }
        }
    }
}

TEST(PcxCodecTest, TheShortestRunsThatHoldTheLinesAreEnough) {
    // One 1-bit line of 64 bytes (or two of 64, 128 in all; or one of 66) and how few bytes can hold it.
    const struct {
        uint32_t lines;
        Bytes runs;
        bool ok;
    } cases[] = {
        {1, {0xFF, 0, 0}, true},                // 63 + a byte for itself
        {1, {0xFF, 0}, false},                  // one short
        {2, {0xFF, 0, 0xFF, 0, 0xC2, 0}, true}, // 63 + 63 + a run of 2
        {2, {0xFF, 0, 0xFF, 0, 0}, false},
        {0, {0xFF, 0, 0xC3, 0}, true}, // one line of 66 bytes: 63 + a run of 3
    };
    for (const auto& c : cases) {
        CPixImagePCX img;
        const Bytes file =
            c.lines ? Pcx(1, 1, 0, 511, c.lines - 1, 64, c.runs) : Pcx(1, 1, 0, 527, 0, 66, c.runs);
        EXPECT_EQ(DecodeBytes(img, file), c.ok) << c.runs.size();
        if (!c.ok) {
            EXPECT_STREQ(img.GetLastError(), "corrupted PCX");
        }
    }
}
