#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

#include "imagelib/codecs/PixExifInfo.h"
#include "imagelib/codecs/PixImageJPG.h"
#include "tests/imagelib/ExifTestBuilder.h"
#include "tests/imagelib/ImageTestUtil.h"

using exiftest::Block;
using exiftest::Dir;
using exiftest::InsertAfterSoi;
using namespace imgtest;

namespace {

// Smooth gradients, so that a JPEG round trip stays close.
void Paint(CPixImage& img) {
    ForEachPixel(img, [&](long x, long y) { img.SetPixelColor(x, y, RGB(x * 4, y * 4, 128)); });
}

Bytes ColourJpeg(DWORD w = 40, DWORD h = 24) {
    CPixImageJPG img;
    EXPECT_TRUE(img.Create(w, h, 24, 3));
    Paint(img);
    return EncodeBytes(img);
}

// An Adobe-style CMYK file written by libjpeg itself: every pixel the same ink values.
Bytes CmykJpeg(JSAMPLE c, JSAMPLE m, JSAMPLE yy, JSAMPLE k) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&cinfo, &out, &outSize);
    cinfo.image_width = 16;
    cinfo.image_height = 16;
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row;
    for (int x = 0; x < 16; ++x)
        row.insert(row.end(), {c, m, yy, k});
    while (cinfo.next_scanline < 16) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes result(out, out + outSize);
    std::free(out);
    return result;
}

Bytes ResolutionApp1(uint32_t res, uint16_t unit) {
    Block b(false);
    const Dir d{{{0x011A, 5, 1, b.Rational(res, 1)}, {0x011B, 5, 1, b.Rational(res, 1)}, {0x0128, 3, 1, b.U16(unit)},
                 {0x010F, 2, 6, Block::Text("Maker")}}};
    return Block::App1(b.Build({d}));
}

bool HasApp1(const Bytes& file) {
    for (size_t i = 0; i + 1 < file.size() && i < 64; ++i)
        if (file[i] == 0xFF && file[i + 1] == 0xE1)
            return true;
    return false;
}

} // namespace

TEST(JpegCodecTest, EveryEncodeOptionDecodes) {
    for (DWORD opt : {0x01u, 0x02u, 0x04u, 0x08u, 0x10u, 0x40u, 0x1Du, 0x4Cu}) {
        CPixImageJPG o;
        ASSERT_TRUE(o.Create(24, 16, 24, 3));
        Paint(o);
        o.SetCodecOption(opt, 3);
        o.SetSmoothingFactor(50);
        CPixImageJPG d;
        EXPECT_TRUE(DecodeBytes(d, EncodeBytes(o))) << opt << ": " << d.GetLastError();
        EXPECT_EQ(d.GetBpp(), (opt & 0x04) ? 8 : 24) << opt;
    }
}

TEST(JpegCodecTest, RefusesPaletteImagesItCannotWrite) {
    // A 1-bit or 4-bit palette of i, i, i passes as "grey" but has no 8-bit samples to give.
    for (DWORD bpp : {8u, 1u, 4u}) {
        CPixImageJPG img;
        ASSERT_TRUE(img.Create(9, 3, bpp, 3));
        if (bpp == 8) {
            img.SetStdPalette();
        } else {
            for (DWORD i = 0; i < img.GetNumColors(); ++i)
                img.SetPaletteColor(static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i));
            ASSERT_TRUE(img.IsGrayScale());
        }
        EncodeBytes(img, false);
        EXPECT_STREQ(img.GetLastError(), "JPEG can save only RGB or GreyScale images") << bpp;
    }
}

TEST(JpegCodecTest, ScaleAndSizeOnlyRequests) {
    const Bytes file = ColourJpeg(64, 40);
    struct Case {
        BYTE scale;
        long escape;
        DWORD width, height;
    };
    for (const Case& c : {Case{0, 0, 64, 40}, Case{4, 0, 16, 10}, Case{0, -1, 64, 40}, Case{2, -1, 32, 20}}) {
        CPixImageJPG img;
        img.SetJpegScale(c.scale);
        img.SetEscape(c.escape);
        EXPECT_TRUE(DecodeBytes(img, file));
        EXPECT_EQ(img.IsValid(), c.escape == 0) << int(c.scale);
        EXPECT_EQ(img.GetWidth(), c.width);
        EXPECT_EQ(img.GetHeight(), c.height);
    }
    CPixImageJPG stopped;
    stopped.SetEscape(1);
    EXPECT_FALSE(DecodeBytes(stopped, file));
}

TEST(JpegCodecTest, DecodeOptionsAndCmyk) {
    const Bytes file = ColourJpeg();
    CPixImageJPG grey;
    grey.SetCodecOption(0x80, 3);
    ASSERT_TRUE(DecodeBytes(grey, file));
    EXPECT_EQ(grey.GetBpp(), 8);
    EXPECT_TRUE(grey.IsGrayScale());

    CPixImageJPG quant;
    quant.SetCodecOption(0x100 | 0x400, 3);
    quant.SetJpegQuality(16);
    ASSERT_TRUE(DecodeBytes(quant, file)) << quant.GetLastError();
    EXPECT_EQ(quant.GetBpp(), 8);
    EXPECT_FALSE(quant.IsGrayScale());
    // Only the colours made are in use, and every pixel indexes one of them.
    EXPECT_GE(quant.GetClrImportant(), 2u);
    EXPECT_LE(quant.GetClrImportant(), 16u);
    for (long y = 0; y < static_cast<long>(quant.GetHeight()); ++y)
        for (long x = 0; x < static_cast<long>(quant.GetWidth()); ++x)
            ASSERT_LT(quant.GetPixelIndex(x, y), quant.GetClrImportant());

    CPixImageJPG plain;
    plain.SetCodecOption(0x800, 3);
    EXPECT_TRUE(DecodeBytes(plain, file));

    // Inverted CMYK: blue = y * k / 255 and so on.
    CPixImageJPG cmyk;
    ASSERT_TRUE(DecodeBytes(cmyk, CmykJpeg(255, 128, 0, 200))) << cmyk.GetLastError();
    EXPECT_EQ(cmyk.GetBpp(), 24);
    const RGBQUAD c = cmyk.GetPixelColor(8, 8, false);
    EXPECT_NEAR(c.rgbRed, 200, 2);
    EXPECT_NEAR(c.rgbGreen, 100, 2);
    EXPECT_NEAR(c.rgbBlue, 0, 2);
}

TEST(JpegCodecTest, ResolutionFromJfifOrExif) {
    Bytes perCm = ColourJpeg();
    ASSERT_EQ(perCm[13], 1); // our encoder writes dots per inch
    Bytes perInch = perCm;
    const uint8_t cm[5] = {2, 0, 28, 0, 28}, inch[5] = {1, 0x01, 0x2C, 0x01, 0x2C}; // unit, x, y
    for (size_t i = 0; i < 5; ++i) {
        perCm[13 + i] = cm[i];
        perInch[13 + i] = inch[i];
    }
    struct Case {
        Bytes file;
        long dpi;
        bool exif;
    };
    const Case cases[] = {
        {perCm, 71, false},
        {perInch, 300, false},
        {InsertAfterSoi(ColourJpeg(), ResolutionApp1(72, 2)), 72, true},
        {InsertAfterSoi(ColourJpeg(), ResolutionApp1(4000000000u, 2)), 50000000, true},
        {InsertAfterSoi(ColourJpeg(), ResolutionApp1(28, 3)), 71, true},
    };
    for (const Case& c : cases) {
        CPixImageJPG img;
        ASSERT_TRUE(DecodeBytes(img, c.file));
        EXPECT_EQ(img.GetXDPI(), c.dpi);
        EXPECT_EQ(img.GetYDPI(), c.dpi);
        EXPECT_EQ(img.GetExifRecord().IsExif, c.exif) << c.dpi;
    }
}

TEST(JpegCodecTest, KeepsExifOnSaveButNeverAStaleOne) {
    const Bytes withExif = InsertAfterSoi(ColourJpeg(), ResolutionApp1(72, 2));
    CPixImageJPG img;
    ASSERT_TRUE(DecodeBytes(img, withExif));
    const Bytes saved = EncodeBytes(img);
    ASSERT_GT(saved.size(), 4u);
    EXPECT_EQ(saved[2], 0xFF);
    EXPECT_EQ(saved[3], 0xE1); // SOI, then the kept APP1
    CPixImageJPG again;
    ASSERT_TRUE(DecodeBytes(again, saved));
    EXPECT_TRUE(again.GetExifRecord().IsExif);
    EXPECT_STREQ(again.GetExifRecord().CameraMake, "Maker");

    // The same object decoding a file without EXIF forgets the old block.
    ASSERT_TRUE(DecodeBytes(img, ColourJpeg()));
    EXPECT_FALSE(img.GetExifRecord().IsExif);
    EXPECT_STREQ(img.GetExifRecord().CameraMake, "");
    EXPECT_FALSE(HasApp1(EncodeBytes(img)));

    // A failed decode leaves nothing of the earlier file either.
    ASSERT_TRUE(DecodeBytes(img, withExif));
    EXPECT_FALSE(DecodeBytes(img, Bytes{'n', 'o', 'p', 'e'}));
    EXPECT_FALSE(img.GetExifRecord().IsExif);

    // Copies carry their own reader.
    ASSERT_TRUE(DecodeBytes(img, withExif));
    CPixImageJPG copy(img);
    img = CPixImageJPG();
    EXPECT_TRUE(copy.GetExifRecord().IsExif);
    ASSERT_NE(copy.GetExifInfo(), nullptr);
    EXPECT_TRUE(HasApp1(EncodeBytes(copy)));
}

TEST(JpegCodecTest, FailsCleanlyOnBadStreams) {
    CPixImageJPG empty;
    EXPECT_FALSE(DecodeBytes(empty, Bytes{}));
    EXPECT_STREQ(empty.GetLastError(), "Empty input file");

    CPixImageJPG garbage;
    EXPECT_FALSE(DecodeBytes(garbage, Bytes{'B', 'M', 1, 2, 3}));
    EXPECT_STREQ(garbage.GetLastError(), "Not a JPEG file: starts with 0x42 0x4d");
    EXPECT_FALSE(garbage.IsValid());

    // A truncated file still decodes: the rest is what the library makes of it.
    Bytes file = ColourJpeg(64, 64);
    file.resize(file.size() * 2 / 3);
    CPixImageJPG cut;
    EXPECT_TRUE(DecodeBytes(cut, file)) << cut.GetLastError();
    EXPECT_EQ(cut.GetWidth(), 64u);

    // Headers and EXIF cut anywhere fail without leaks (checked under the sanitizers).
    const Bytes whole = InsertAfterSoi(ColourJpeg(), ResolutionApp1(72, 2));
    for (size_t n = 0; n < 400 && n < whole.size(); n += 7) {
        CPixImageJPG part;
        DecodeBytes(part, Bytes(whole.begin(), whole.begin() + static_cast<long>(n)));
    }
}
