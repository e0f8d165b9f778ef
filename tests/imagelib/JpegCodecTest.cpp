#include <gtest/gtest.h>

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
CPixImageJPG Painted(DWORD w, DWORD h) {
    CPixImageJPG img;
    EXPECT_TRUE(img.Create(w, h, 24, 3));
    ForEachPixel(img, [&](long x, long y) { img.SetPixelColor(x, y, RGB(x * 4, y * 4, 128)); });
    return img;
}

Bytes ColourJpeg(DWORD w = 40, DWORD h = 24) {
    CPixImageJPG img = Painted(w, h);
    return EncodeBytes(img);
}

// An Adobe-style CMYK file written by libjpeg itself, 16 x 8: two flat 8 x 8 blocks of inks, which
// quality 100 keeps exactly.
Bytes CmykJpeg(const std::vector<JSAMPLE>& left, const std::vector<JSAMPLE>& right) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&cinfo, &out, &outSize);
    cinfo.image_width = 16;
    cinfo.image_height = 8;
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row;
    for (int x = 0; x < 16; ++x)
        row.insert(row.end(), x < 8 ? left.begin() : right.begin(), x < 8 ? left.end() : right.end());
    while (cinfo.next_scanline < 8) {
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
    const Dir d{{{0x011A, 5, 1, b.Rational(res, 1)},
                 {0x011B, 5, 1, b.Rational(res, 1)},
                 {0x0128, 3, 1, b.U16(unit)},
                 {0x010F, 2, 6, Block::Text("Maker")}}};
    return Block::App1(b.Build({d}));
}

// Entropy-coded data stuffs every 0xFF, so a marker found anywhere is a real one.
bool HasMarker(const Bytes& file, uint8_t marker, size_t within = SIZE_MAX) {
    for (size_t i = 0; i + 1 < file.size() && i < within; ++i)
        if (file[i] == 0xFF && file[i + 1] == marker)
            return true;
    return false;
}

} // namespace

TEST(JpegCodecTest, EncodeOptionsReachTheFile) {
    CPixImageJPG o = Painted(24, 16);
    struct Case {
        DWORD option;
        BYTE quality; // below 25 the quantisers outgrow baseline unless it is asked for
        uint8_t frame; // start-of-frame marker: baseline, extended, progressive or arithmetic
    };
    for (const Case& c : {Case{0x00, 5, 0xC1}, Case{0x01, 5, 0xC0}, Case{0x02, 90, 0xC9}, Case{0x04, 90, 0xC0},
                          Case{0x10, 90, 0xC2}, Case{0x1D, 90, 0xC2}}) {
        o.SetCodecOption(c.option, 3);
        o.SetJpegQuality(c.quality);
        const Bytes file = EncodeBytes(o);
        EXPECT_TRUE(HasMarker(file, c.frame)) << c.option;
        CPixImageJPG d;
        ASSERT_TRUE(DecodeBytes(d, file)) << c.option << ": " << d.GetLastError();
        EXPECT_EQ(d.GetBpp(), (c.option & 0x04) ? 8 : 24) << c.option;
        EXPECT_LE(d.GetBpp() == 8 ? 0 : MaxDifference(o, d), c.quality == 5 ? 64 : 6) << c.option;
    }
    // Smoothing without a factor changes nothing; a factor over 100 is clamped to 100.
    o.SetCodecOption(0, 3);
    const Bytes plain = EncodeBytes(o);
    o.SetCodecOption(0x40, 3);
    EXPECT_EQ(EncodeBytes(o), plain);
    o.SetSmoothingFactor(100);
    const Bytes smoothed = EncodeBytes(o);
    EXPECT_NE(smoothed, plain);
    o.SetSmoothingFactor(500);
    EXPECT_EQ(EncodeBytes(o), smoothed);
}

TEST(JpegCodecTest, RefusesPaletteImagesItCannotWrite) {
    // A 1-bit or 4-bit palette of i, i, i passes as "grey" but has no 8-bit samples to give.
    for (DWORD bpp : {8u, 1u, 4u}) {
        CPixImageJPG img;
        ASSERT_TRUE(img.Create(9, 3, bpp, 3));
        img.SetStdPalette();
        for (BYTE i = 0; bpp < 8 && i < img.GetNumColors(); ++i)
            img.SetPaletteColor(i, i, i, i);
        ASSERT_EQ(img.IsGrayScale(), bpp != 8);
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
    CPixImageJPG full;
    ASSERT_TRUE(DecodeBytes(full, file));
    CPixImageJPG grey;
    grey.SetCodecOption(0x80, 3);
    ASSERT_TRUE(DecodeBytes(grey, file));
    EXPECT_EQ(grey.GetBpp(), 8);
    EXPECT_TRUE(grey.IsGrayScale());

    // Quantised to at most 16 colours: every pixel indexes one made, near its full-colour value.
    CPixImageJPG quant;
    quant.SetCodecOption(0x100, 3);
    quant.SetJpegQuality(16);
    ASSERT_TRUE(DecodeBytes(quant, file)) << quant.GetLastError();
    EXPECT_EQ(quant.GetBpp(), 8);
    EXPECT_FALSE(quant.IsGrayScale());
    EXPECT_GE(quant.GetClrImportant(), 2u);
    EXPECT_LE(quant.GetClrImportant(), 16u);
    ForEachPixel(quant, [&](long x, long y) { ASSERT_LT(quant.GetPixelIndex(x, y), quant.GetClrImportant()); });
    EXPECT_LE(MaxDifference(quant, full), 40);

    // Without fancy upsampling the halved colour planes come out blockier, but close.
    CPixImageJPG plain;
    plain.SetCodecOption(0x800, 3);
    ASSERT_TRUE(DecodeBytes(plain, file));
    EXPECT_GT(MaxDifference(plain, full), 0);
    EXPECT_LE(MaxDifference(plain, full), 6);

    // Inverted CMYK: blue = y * k / 255 and so on.
    CPixImageJPG cmyk;
    ASSERT_TRUE(DecodeBytes(cmyk, CmykJpeg({255, 128, 0, 200}, {60, 255, 255, 255}))) << cmyk.GetLastError();
    EXPECT_EQ(cmyk.GetBpp(), 24);
    EXPECT_EQ(Rgb(cmyk, 7, 4), RGB(200, 100, 0));
    EXPECT_EQ(Rgb(cmyk, 8, 4), RGB(60, 255, 255));
    EXPECT_EQ(Rgb(cmyk, 15, 7), RGB(60, 255, 255));
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
    CPixImageJPG img;
    EXPECT_FALSE(img.GetExifRecord().IsExif);
    EXPECT_EQ(img.GetType(), static_cast<DWORD>(PIXFORMAT_JPG));
    EXPECT_EQ(img.GetSmoothingFactor() + img.GetDitherMode(), 0);
    const Bytes withExif = InsertAfterSoi(ColourJpeg(), ResolutionApp1(72, 2));
    ASSERT_TRUE(DecodeBytes(img, withExif));
    const Bytes saved = EncodeBytes(img);
    ASSERT_GT(saved.size(), 4u);
    EXPECT_EQ(saved[3], 0xE1); // SOI, then the kept APP1
    CPixImageJPG again;
    ASSERT_TRUE(DecodeBytes(again, saved));
    EXPECT_STREQ(again.GetExifRecord().CameraMake, "Maker");

    // The same object decoding a file without EXIF forgets the old block.
    ASSERT_TRUE(DecodeBytes(img, ColourJpeg()));
    EXPECT_FALSE(img.GetExifRecord().IsExif);
    EXPECT_STREQ(img.GetExifRecord().CameraMake, "");
    EXPECT_FALSE(HasMarker(EncodeBytes(img), 0xE1, 64));

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
    EXPECT_TRUE(HasMarker(EncodeBytes(copy), 0xE1, 64));
}

TEST(JpegCodecTest, FailsCleanlyOnBadStreams) {
    EXPECT_FALSE(CPixImageJPG().Decode(static_cast<CPixFile*>(nullptr)));
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

    // Cut anywhere before its scan begins, a file fails with a reason and no picture.
    const Bytes whole = InsertAfterSoi(ColourJpeg(), ResolutionApp1(72, 2));
    size_t scan = 0;
    while (!(whole[scan] == 0xFF && whole[scan + 1] == 0xDA))
        ++scan;
    for (size_t n = 0; n < scan + 12; n += 5) {
        CPixImageJPG part;
        EXPECT_FALSE(DecodeBytes(part, Bytes(whole.begin(), whole.begin() + static_cast<long>(n)))) << n;
        EXPECT_STRNE(part.GetLastError(), "") << n;
        EXPECT_FALSE(part.IsValid()) << n;
    }
}
