#include <gtest/gtest.h>

#include <algorithm>

#include "imagelib/codecs/PixImageWBMP.h"
#include "tests/imagelib/ImageTestUtil.h"
#include "tests/support/MissingDependency.h"
#include "tests/support/TempDir.h"

using namespace imgtest;

TEST(WbmpCodecTest, ReadsRowsTopDownAndWritesThemBack) {
    // 10 x 3: rows of 2 bytes, the first one the top row.
    const Bytes file = {0, 0, 10, 3, 0x80, 0x40, 0x00, 0x00, 0xFF, 0xC0};
    CPixImageWBMP img;
    ASSERT_TRUE(DecodeBytes(img, file)) << img.GetLastError();
    EXPECT_EQ(img.GetWidth(), 10u);
    EXPECT_EQ(img.GetPixelIndex(0, 2), 1);
    EXPECT_EQ(img.GetPixelIndex(9, 2), 1);
    EXPECT_EQ(img.GetPixelIndex(8, 2), 0);
    EXPECT_EQ(img.GetPixelIndex(9, 0), 1);
    EXPECT_EQ(Rgb(img, 0, 2), RGB(255, 255, 255));
    EXPECT_EQ(EncodeBytes(img), file);

    // White is a set bit whatever the palette order; fill bits are clear.
    img.SetPaletteColor(0, RGB(255, 255, 255));
    img.SetPaletteColor(1, RGB(0, 0, 0));
    EXPECT_EQ(EncodeBytes(img), (Bytes{0, 0, 10, 3, 0x7F, 0x80, 0xFF, 0xC0, 0x00, 0x00}));
}

TEST(WbmpCodecTest, SizesAreMultiByteIntegersAndOldSingleByteFilesStayReadable) {
    CPixImageWBMP wide;
    ASSERT_TRUE(wide.Create(300, 2, 1, PIXFORMAT_WBMP));
    wide.SetGrayPalette();
    wide.SetPixelIndex(299, 1, 1);
    const Bytes file = EncodeBytes(wide);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 5), (Bytes{0, 0, 0x82, 0x2C, 2}));
    CPixImageWBMP back;
    ASSERT_TRUE(DecodeBytes(back, file)) << back.GetLastError();
    EXPECT_EQ(back.GetWidth(), 300u);
    EXPECT_EQ(back.GetPixelIndex(299, 1), 1);

    // Width 200 written as one byte: only the single-byte reading fits the data.
    Bytes old = {0, 0, 200, 2};
    old.resize(4 + 25 * 2, 0xFF);
    CPixImageWBMP legacy;
    ASSERT_TRUE(DecodeBytes(legacy, old)) << legacy.GetLastError();
    EXPECT_EQ(legacy.GetWidth(), 200u);
    EXPECT_EQ(legacy.GetHeight(), 2u);
}

TEST(WbmpCodecTest, RefusesHostileFilesAndWrongDepths) {
    const struct {
        Bytes file;
        const char* error;
    } cases[] = {
        {{0, 0, 5}, "Not a WBMP"},
        {{1, 0, 1, 1, 0}, "Unsupported WBMP type"},
        {{0, 0, 5, 5}, "Corrupted WBMP"},          // no rows at all
        {{0, 0, 16, 3, 1, 2, 3, 4}, "Corrupted WBMP"}, // short rows
        {{0, 0, 0, 1, 0}, "Corrupted WBMP"},
        {{0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 1}, "Corrupted WBMP"}, // past 32 bits
    };
    for (const auto& c : cases) {
        CPixImageWBMP img;
        EXPECT_FALSE(DecodeBytes(img, c.file));
        EXPECT_STREQ(img.GetLastError(), c.error);
    }
    CPixImageWBMP grey;
    ASSERT_TRUE(grey.Create(2, 2, 8, PIXFORMAT_WBMP));
    EncodeBytes(grey, false);
    EXPECT_STREQ(grey.GetLastError(), "Can't save this image as WBMP");
}

TEST(WbmpCodecTest, EveryWidthReadsRightInBothSizeForms) {
    // Rows of a pattern, the bits past the width clear, so that a misread shifts something.
    auto rowOf = [](uint32_t w, uint32_t y) {
        Bytes row((w + 7) / 8);
        for (size_t i = 0; i < row.size(); ++i)
            row[i] = static_cast<uint8_t>(i * 37 + y * 11 + 5);
        row.back() &= static_cast<uint8_t>(0xFF << ((8 - w % 8) % 8));
        return row;
    };
    auto expectRows = [&](CPixImageWBMP& img, uint32_t w, uint32_t h, const char* form) {
        ASSERT_EQ(img.GetWidth(), w) << form << " " << w << "x" << h;
        ASSERT_EQ(img.GetHeight(), h) << form << " " << w << "x" << h;
        for (uint32_t y = 0; y < h; ++y) {
            const Bytes row = rowOf(w, y);
            ASSERT_TRUE(std::equal(row.begin(), row.end(), img.GetBits(h - 1 - y)))
                << form << " " << w << "x" << h;
        }
    };
    // Among these sizes, some multi-byte headers also read as valid single bytes: 1..8 x 128,
    // 203 x 49, 258 x 1.
    for (uint32_t w = 1; w <= 300; ++w)
        for (uint32_t h : {1u, 5u, 16u, 49u, 128u}) {
            if (w <= 255) {
                Bytes file = {0, 0, static_cast<uint8_t>(w), static_cast<uint8_t>(h)};
                for (uint32_t y = 0; y < h; ++y) {
                    const Bytes row = rowOf(w, y);
                    file.insert(file.end(), row.begin(), row.end());
                }
                CPixImageWBMP img;
                ASSERT_TRUE(DecodeBytes(img, file)) << w << "x" << h << ": " << img.GetLastError();
                expectRows(img, w, h, "single bytes");
            }
            // The writer's form: multi-byte sizes.
            CPixImageWBMP made;
            ASSERT_TRUE(made.Create(w, h, 1, PIXFORMAT_WBMP));
            made.SetGrayPalette();
            for (uint32_t y = 0; y < h; ++y) {
                const Bytes row = rowOf(w, y);
                std::copy(row.begin(), row.end(), made.GetBits(h - 1 - y));
            }
            CPixImageWBMP back;
            ASSERT_TRUE(DecodeBytes(back, EncodeBytes(made))) << w << "x" << h << ": " << back.GetLastError();
            expectRows(back, w, h, "multi-byte");
        }
}

TEST(WbmpCodecTest, StandardSizesWinWhereTheSingleByteReadingFitsToo) {
    // Each header read as single bytes also gives rows that end with the file; every other
    // program writes and reads these sizes in the standard form, so that reading must win.
    const struct {
        uint32_t width, height;
        Bytes head;
    } cases[] = {{8, 128, {0, 0, 8, 0x81, 0x00}},   {1, 128, {0, 0, 1, 0x81, 0x00}},
                 {203, 49, {0, 0, 0x81, 0x4B, 0x31}}, {258, 1, {0, 0, 0x82, 0x02, 0x01}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        CPixImageWBMP img;
        ASSERT_TRUE(img.Create(c.width, c.height, 1, PIXFORMAT_WBMP));
        img.SetGrayPalette();
        ForEachPixel(img, [&](long x, long y) { img.SetPixelIndex(x, y, static_cast<BYTE>((x / 3 + y) % 2)); });
        const Bytes file = EncodeBytes(img);
        EXPECT_EQ(Bytes(file.begin(), file.begin() + 5), c.head) << "the plain standard form";
        CPixImageWBMP back;
        ASSERT_TRUE(DecodeBytes(back, file)) << back.GetLastError();
        ASSERT_EQ(back.GetWidth(), c.width);
        ASSERT_EQ(back.GetHeight(), c.height);
        EXPECT_EQ(MaxDifference(img, back), 0);
    }

    // ImageMagick's files of such sizes, read as ImageMagick reads them.
    REQUIRE_MAGICK();
    TempDir dir;
    for (const char* size : {"8x128", "203x49", "258x1"}) {
        SCOPED_TRACE(size);
        const std::string file = dir.File(std::string(size) + ".wbmp");
        ASSERT_EQ(RunCommand(MAGICK_CONVERT " -size " + std::string(size) + " pattern:checkerboard -monochrome wbmp:" +
                             ShellQuote(file))
                      .status,
                  0);
        CPixImage ours;
        ASSERT_TRUE(ours.Load(file.c_str(), PIXFORMAT_WBMP)) << ours.GetLastError();
        EXPECT_EQ(std::to_string(ours.GetWidth()) + "x" + std::to_string(ours.GetHeight()), size);
        const CommandResult r = RunCommand(MAGICK_CONVERT " wbmp:" + ShellQuote(file) + " -depth 8 gray:-");
        ASSERT_EQ(r.out.size(), size_t{ours.GetWidth()} * ours.GetHeight()) << r.err;
        ForEachPixel(ours, [&](long x, long y) {
            const size_t i = static_cast<size_t>(ours.GetHeight() - 1 - y) * ours.GetWidth() + x;
            ASSERT_EQ(Rgb(ours, x, y) == RGB(255, 255, 255), static_cast<uint8_t>(r.out[i]) == 255) << x << "," << y;
        });
    }
}
