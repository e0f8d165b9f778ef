#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "imagelib/PixMemFile.h"
#include "imagelib/codecs/PixExifInfo.h"
#include "imagelib/codecs/PixImageJPG.h"
#include "tests/imagelib/ExifTestBuilder.h"
#include "tests/support/TempDir.h"

using namespace exiftest;

namespace {

Bytes EncodeJpeg(CPixImageJPG& img, bool expectOk = true) {
    CPixMemFile mem;
    mem.Open();
    const bool ok = img.Encode(&mem);
    EXPECT_EQ(ok, expectOk) << img.GetLastError();
    const long size = mem.Size();
    BYTE* p = mem.GetBuffer(false);
    return Bytes(p, p + size);
}

bool DecodeJpeg(CPixImageJPG& img, Bytes bytes) {
    CPixMemFile mem(bytes.data(), static_cast<DWORD>(bytes.size()));
    return img.Decode(&mem);
}

// A colour picture with smooth gradients, so that a JPEG round trip stays close.
void Paint(CPixImage& img) {
    for (long y = 0; y < static_cast<long>(img.GetHeight()); ++y)
        for (long x = 0; x < static_cast<long>(img.GetWidth()); ++x) {
            RGBQUAD c;
            c.rgbRed = static_cast<BYTE>(x * 4);
            c.rgbGreen = static_cast<BYTE>(y * 4);
            c.rgbBlue = static_cast<BYTE>(128);
            img.SetPixelColor(x, y, c);
        }
}

int MaxDifference(CPixImage& a, CPixImage& b) {
    int worst = 0;
    for (long y = 0; y < static_cast<long>(a.GetHeight()); ++y)
        for (long x = 0; x < static_cast<long>(a.GetWidth()); ++x) {
            const RGBQUAD p = a.GetPixelColor(x, y, false), q = b.GetPixelColor(x, y, false);
            worst = std::max({worst, std::abs(p.rgbRed - q.rgbRed), std::abs(p.rgbGreen - q.rgbGreen),
                              std::abs(p.rgbBlue - q.rgbBlue)});
        }
    return worst;
}

Bytes ColourJpeg(DWORD w = 40, DWORD h = 24) {
    CPixImageJPG img;
    EXPECT_TRUE(img.Create(w, h, 24, 3));
    Paint(img);
    return EncodeJpeg(img);
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
    std::vector<JSAMPLE> row(16 * 4);
    for (int x = 0; x < 16; ++x) {
        row[x * 4 + 0] = c;
        row[x * 4 + 1] = m;
        row[x * 4 + 2] = yy;
        row[x * 4 + 3] = k;
    }
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
    Dir d;
    d.entries.push_back({0x011A, 5, 1, b.Rational(res, 1)});
    d.entries.push_back({0x011B, 5, 1, b.Rational(res, 1)});
    d.entries.push_back({0x0128, 3, 1, b.U16(unit)});
    d.entries.push_back({0x010F, 2, 6, Block::Text("Maker")});
    return Block::App1(b.Build({d}));
}

bool HasApp1(const Bytes& file) {
    for (size_t i = 0; i + 1 < file.size() && i < 64; ++i)
        if (file[i] == 0xFF && file[i + 1] == 0xE1) return true;
    return false;
}

} // namespace

TEST(JpegCodecTest, RoundTripsColourAndGrey) {
    CPixImageJPG src;
    ASSERT_TRUE(src.Create(40, 24, 24, 3));
    Paint(src);
    src.SetXDPI(150);
    src.SetYDPI(120);
    CPixImageJPG back;
    ASSERT_TRUE(DecodeJpeg(back, EncodeJpeg(src))) << back.GetLastError();
    EXPECT_EQ(back.GetBpp(), 24);
    EXPECT_EQ(back.GetWidth(), 40u);
    EXPECT_EQ(back.GetHeight(), 24u);
    EXPECT_EQ(back.GetXDPI(), 150);
    EXPECT_EQ(back.GetYDPI(), 120);
    EXPECT_EQ(back.GetType(), 3u);
    EXPECT_LE(MaxDifference(src, back), 8);

    CPixImageJPG grey;
    ASSERT_TRUE(grey.Create(16, 16, 8, 3));
    grey.SetGrayPalette();
    for (long y = 0; y < 16; ++y)
        for (long x = 0; x < 16; ++x) grey.SetPixelIndex(x, y, static_cast<BYTE>(x * 16));
    CPixImageJPG greyBack;
    ASSERT_TRUE(DecodeJpeg(greyBack, EncodeJpeg(grey)));
    EXPECT_EQ(greyBack.GetBpp(), 8);
    EXPECT_EQ(greyBack.GetNumColors(), 256u);
    EXPECT_TRUE(greyBack.IsGrayScale());
    EXPECT_LE(MaxDifference(grey, greyBack), 8);

    // Every encode option still gives a file that decodes.
    for (DWORD opt : {0x01u, 0x02u, 0x04u, 0x08u, 0x10u, 0x40u, 0x1Du, 0x4Cu}) {
        CPixImageJPG o;
        ASSERT_TRUE(o.Create(24, 16, 24, 3));
        Paint(o);
        o.SetCodecOption(opt, 3);
        o.SetSmoothingFactor(50);
        CPixImageJPG d;
        EXPECT_TRUE(DecodeJpeg(d, EncodeJpeg(o))) << opt << ": " << d.GetLastError();
        EXPECT_EQ(d.GetBpp(), (opt & 0x04) ? 8 : 24) << opt;
    }
}

TEST(JpegCodecTest, RefusesPaletteImagesItCannotWrite) {
    CPixImageJPG colours;
    ASSERT_TRUE(colours.Create(4, 4, 8, 3));
    colours.SetStdPalette();
    EncodeJpeg(colours, false);
    EXPECT_STREQ(colours.GetLastError(), "JPEG can save only RGB or GreyScale images");

    // A 1-bit or 4-bit palette of i, i, i passes as "grey" but has no 8-bit samples to give.
    for (DWORD bpp : {1u, 4u}) {
        CPixImageJPG low;
        ASSERT_TRUE(low.Create(9, 3, bpp, 3));
        for (DWORD i = 0; i < low.GetNumColors(); ++i)
            low.SetPaletteColor(static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i));
        ASSERT_TRUE(low.IsGrayScale());
        EncodeJpeg(low, false);
        EXPECT_STREQ(low.GetLastError(), "JPEG can save only RGB or GreyScale images") << bpp;
    }

    CPixImageJPG empty;
    EncodeJpeg(empty, false);
    EXPECT_STREQ(empty.GetLastError(), "null image!!!");
}

TEST(JpegCodecTest, ScaleAndSizeOnlyRequests) {
    const Bytes file = ColourJpeg(64, 40);
    CPixImageJPG full;
    full.SetJpegScale(0);
    ASSERT_TRUE(DecodeJpeg(full, file));
    EXPECT_EQ(full.GetWidth(), 64u);
    EXPECT_EQ(full.GetHeight(), 40u);

    CPixImageJPG quarter;
    quarter.SetJpegScale(4);
    ASSERT_TRUE(DecodeJpeg(quarter, file));
    EXPECT_EQ(quarter.GetWidth(), 16u);
    EXPECT_EQ(quarter.GetHeight(), 10u);

    for (BYTE scale : {0, 2}) {
        CPixImageJPG sizeOnly;
        sizeOnly.SetEscape(-1);
        sizeOnly.SetJpegScale(scale);
        EXPECT_TRUE(DecodeJpeg(sizeOnly, file));
        EXPECT_FALSE(sizeOnly.IsValid());
        EXPECT_EQ(sizeOnly.GetWidth(), scale ? 32u : 64u);
        EXPECT_EQ(sizeOnly.GetHeight(), scale ? 20u : 40u);
    }

    CPixImageJPG stopped;
    stopped.SetEscape(1);
    EXPECT_FALSE(DecodeJpeg(stopped, file));
}

TEST(JpegCodecTest, DecodeOptionsAndCmyk) {
    const Bytes file = ColourJpeg();
    CPixImageJPG grey;
    grey.SetCodecOption(0x80, 3);
    ASSERT_TRUE(DecodeJpeg(grey, file));
    EXPECT_EQ(grey.GetBpp(), 8);
    EXPECT_TRUE(grey.IsGrayScale());

    CPixImageJPG quant;
    quant.SetCodecOption(0x100 | 0x400, 3);
    quant.SetJpegQuality(16);
    ASSERT_TRUE(DecodeJpeg(quant, file)) << quant.GetLastError();
    EXPECT_EQ(quant.GetBpp(), 8);
    EXPECT_FALSE(quant.IsGrayScale());

    CPixImageJPG plain;
    plain.SetCodecOption(0x800, 3);
    EXPECT_TRUE(DecodeJpeg(plain, file));

    // Inverted CMYK: blue = y * k / 255 and so on.
    CPixImageJPG cmyk;
    ASSERT_TRUE(DecodeJpeg(cmyk, CmykJpeg(255, 128, 0, 200))) << cmyk.GetLastError();
    EXPECT_EQ(cmyk.GetBpp(), 24);
    const RGBQUAD c = cmyk.GetPixelColor(8, 8, false);
    EXPECT_NEAR(c.rgbRed, 200, 2);
    EXPECT_NEAR(c.rgbGreen, 100, 2);
    EXPECT_NEAR(c.rgbBlue, 0, 2);
}

TEST(JpegCodecTest, ResolutionFromJfifOrExif) {
    Bytes file = ColourJpeg();
    ASSERT_EQ(file[13], 1); // our encoder writes dots per inch
    file[13] = 2;            // dots per centimetre, 28 x 28
    file[14] = 0;
    file[15] = 28;
    file[16] = 0;
    file[17] = 28;
    CPixImageJPG perCm;
    ASSERT_TRUE(DecodeJpeg(perCm, file));
    EXPECT_EQ(perCm.GetXDPI(), 71);
    EXPECT_FALSE(perCm.GetExifRecord().IsExif);

    file[13] = 1; // dots per inch, 300 x 300
    file[14] = 0x01;
    file[15] = 0x2C;
    file[16] = 0x01;
    file[17] = 0x2C;
    CPixImageJPG perInch;
    ASSERT_TRUE(DecodeJpeg(perInch, file));
    EXPECT_EQ(perInch.GetXDPI(), 300);

    CPixImageJPG exif;
    ASSERT_TRUE(DecodeJpeg(exif, InsertAfterSoi(ColourJpeg(), ResolutionApp1(72, 2))));
    EXPECT_TRUE(exif.GetExifRecord().IsExif);
    EXPECT_EQ(exif.GetXDPI(), 72);
    EXPECT_EQ(exif.GetYDPI(), 72);

    CPixImageJPG absurd;
    ASSERT_TRUE(DecodeJpeg(absurd, InsertAfterSoi(ColourJpeg(), ResolutionApp1(4000000000u, 2))));
    EXPECT_EQ(absurd.GetXDPI(), 50000000);

    CPixImageJPG perCmExif;
    ASSERT_TRUE(DecodeJpeg(perCmExif, InsertAfterSoi(ColourJpeg(), ResolutionApp1(28, 3))));
    EXPECT_EQ(perCmExif.GetXDPI(), 71);
}

TEST(JpegCodecTest, KeepsExifOnSaveButNeverAStaleOne) {
    const Bytes withExif = InsertAfterSoi(ColourJpeg(), ResolutionApp1(72, 2));
    CPixImageJPG img;
    ASSERT_TRUE(DecodeJpeg(img, withExif));
    const Bytes saved = EncodeJpeg(img);
    ASSERT_GT(saved.size(), 4u);
    EXPECT_EQ(saved[2], 0xFF);
    EXPECT_EQ(saved[3], 0xE1); // SOI, then the kept APP1
    CPixImageJPG again;
    ASSERT_TRUE(DecodeJpeg(again, saved));
    EXPECT_TRUE(again.GetExifRecord().IsExif);
    EXPECT_STREQ(again.GetExifRecord().CameraMake, "Maker");

    // The same object decoding a file without EXIF forgets the old block.
    ASSERT_TRUE(DecodeJpeg(img, ColourJpeg()));
    EXPECT_FALSE(img.GetExifRecord().IsExif);
    EXPECT_STREQ(img.GetExifRecord().CameraMake, "");
    EXPECT_FALSE(HasApp1(EncodeJpeg(img)));

    // A failed decode leaves nothing of the earlier file either.
    ASSERT_TRUE(DecodeJpeg(img, withExif));
    EXPECT_FALSE(DecodeJpeg(img, Bytes{'n', 'o', 'p', 'e'}));
    EXPECT_FALSE(img.GetExifRecord().IsExif);

    // Copies carry their own reader.
    ASSERT_TRUE(DecodeJpeg(img, withExif));
    CPixImageJPG copy(img);
    img = CPixImageJPG();
    EXPECT_TRUE(copy.GetExifRecord().IsExif);
    ASSERT_NE(copy.GetExifInfo(), nullptr);
    EXPECT_TRUE(HasApp1(EncodeJpeg(copy)));
}

TEST(JpegCodecTest, FailsCleanlyOnBadStreams) {
    CPixImageJPG empty;
    EXPECT_FALSE(DecodeJpeg(empty, Bytes{}));
    EXPECT_STREQ(empty.GetLastError(), "Empty input file");

    CPixImageJPG garbage;
    EXPECT_FALSE(DecodeJpeg(garbage, Bytes{'B', 'M', 1, 2, 3}));
    EXPECT_STREQ(garbage.GetLastError(), "Not a JPEG file: starts with 0x42 0x4d");
    EXPECT_FALSE(garbage.IsValid());

    // A truncated file still decodes: the rest is what the library makes of it.
    Bytes file = ColourJpeg(64, 64);
    file.resize(file.size() * 2 / 3);
    CPixImageJPG cut;
    EXPECT_TRUE(DecodeJpeg(cut, file)) << cut.GetLastError();
    EXPECT_EQ(cut.GetWidth(), 64u);

    // Headers cut anywhere fail without leaks (checked under the sanitizers).
    const Bytes whole = InsertAfterSoi(ColourJpeg(), ResolutionApp1(72, 2));
    for (size_t n = 0; n < 400 && n < whole.size(); n += 7) {
        CPixImageJPG part;
        DecodeJpeg(part, Bytes(whole.begin(), whole.begin() + static_cast<long>(n)));
    }

    // A full disk fails the encode with the library's text.
    CPixImageJPG img;
    ASSERT_TRUE(img.Create(64, 64, 24, 3));
    Paint(img);
    FILE* ro = std::fopen("/dev/full", "wb");
    if (ro) {
        EXPECT_FALSE(img.Encode(ro));
        EXPECT_STREQ(img.GetLastError(), "Output file write error --- out of disk space?");
        std::fclose(ro);
    }
}

TEST(JpegCodecTest, ProbingFindsJpegAfterBmp) {
    TempDir dir;
    const Bytes file = ColourJpeg();
    WriteFileBytes(dir.File("p.jpg"), std::string(file.begin(), file.end()));
    CPixImage img;
    ASSERT_TRUE(img.Load(dir.File("p.jpg").c_str(), 0)) << img.GetLastError();
    EXPECT_EQ(img.GetType(), 3u);
    CPixImage named;
    ASSERT_TRUE(named.Load(dir.File("p.jpg").c_str(), 1)); // BMP fails, probing finds JPEG
    EXPECT_EQ(named.GetType(), 3u);

    WriteFileBytes(dir.File("junk.jpg"), "this is not a picture at all");
    CPixImage junk;
    EXPECT_FALSE(junk.Load(dir.File("junk.jpg").c_str(), 3));
    EXPECT_STREQ(junk.GetLastError(), "Not a JPEG file: starts with 0x74 0x68");
}
