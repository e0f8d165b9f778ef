#include <gtest/gtest.h>

#include <tiffio.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "imagelib/PixIOFile.h"
#include "imagelib/codecs/PixImageTIF.h"
#include "imagelib/codecs/PixTiffStream.h"
#include "tests/imagelib/ImageTestUtil.h"
#include "tests/support/MissingDependency.h"
#include "tests/support/ShellCommand.h"
#include "tests/support/TempDir.h"

using namespace imgtest;

namespace {

// A TIFF written by libtiff itself: tags set by `tags`, then `rows` scanlines from `row(r, buffer)`.
Bytes LibTiff(const std::function<void(TIFF*)>& tags, uint32_t rows,
              const std::function<void(uint32_t, std::vector<uint8_t>&)>& row) {
    TempDir dir;
    const std::string path = dir.File("t.tif");
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    EXPECT_NE(tif, nullptr);
    if (!tif) return {};
    tags(tif);
    std::vector<uint8_t> line(static_cast<size_t>(TIFFScanlineSize(tif)));
    for (uint32_t r = 0; r < rows; ++r) {
        std::fill(line.begin(), line.end(), 0);
        row(r, line);
        EXPECT_NE(TIFFWriteScanline(tif, line.data(), r, 0), -1);
    }
    TIFFClose(tif);
    const std::string bytes = ReadFileBytes(path);
    return Bytes(bytes.begin(), bytes.end());
}

void Basic(TIFF* tif, uint32_t w, uint32_t h, uint16_t samples, uint16_t bits, uint16_t photometric) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 3);
}

CPixImage Pattern(DWORD w, DWORD h, DWORD bpp) {
    CPixImage img(w, h, bpp, PIXFORMAT_TIF);
    if (bpp == 4 || bpp == 8) {
        for (DWORD i = 0; i < img.GetNumColors(); ++i)
            img.SetPaletteColor(static_cast<BYTE>(i), static_cast<BYTE>(i * 7), static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 3));
    }
    ForEachPixel(img, [&](long x, long y) {
        if (bpp == 24)
            img.SetPixelColor(x, y, RGB(static_cast<BYTE>(x * 20), static_cast<BYTE>(y * 30), static_cast<BYTE>(x * y)));
        else
            img.SetPixelIndex(x, y, static_cast<BYTE>((x + 3 * y) % (1 << bpp)));
    });
    return img;
}

} // namespace

TEST(TiffCodecTest, RoundTripsEveryDepth) {
    struct Case {
        const char* name;
        DWORD bpp;
        bool alpha;
        DWORD compression; // 0: by depth
        int tolerance;
    };
    const Case cases[] = {
        {"1-bit CCITT", 1, false, 0, 0},     {"1-bit plain", 1, false, 1, 0},   {"4-bit LZW", 4, false, 0, 0},
        {"8-bit LZW", 8, false, 0, 0},       {"8-bit + alpha", 8, true, 0, 0},  {"24-bit plain", 24, false, 1, 0},
        {"24-bit JPEG", 24, false, 0, 12},   {"24-bit + alpha", 24, true, 5, 0}, {"24-bit deflate", 24, false, 8, 0},
        {"1-bit JPEG falls back", 1, false, 7, 0},
    };
    for (const Case& c : cases) {
        CPixImage img = Pattern(13, 9, c.bpp);
        if (c.bpp == 1) {
            img.SetPaletteColor(0, 0, 0, 0);
            img.SetPaletteColor(1, 255, 255, 255);
        }
        if (c.alpha) {
            img.AlphaCreate();
            ForEachPixel(img, [&](long x, long y) { img.AlphaSet(x, y, static_cast<BYTE>(x * 19 + y)); });
        }
        img.SetCodecOption(c.compression, PIXFORMAT_TIF);
        img.SetJpegQuality(95);
        const DWORD before = CPixImage::RGBQUADtoRGB(img.GetPixelColor(0, 0, false));
        const Bytes file = EncodeAs(img, PIXFORMAT_TIF);
        // Saving never changes the caller's picture (bilevel inversion and BGR swap stay in the file).
        EXPECT_EQ(CPixImage::RGBQUADtoRGB(img.GetPixelColor(0, 0, false)), before) << c.name;
        CPixImageTIF back;
        ASSERT_TRUE(DecodeBytes(back, file)) << c.name << ": " << back.GetLastError();
        EXPECT_EQ(back.GetWidth(), 13u) << c.name;
        EXPECT_EQ(back.GetBpp(), c.bpp) << c.name;
        EXPECT_LE(MaxDifference(img, back), c.tolerance) << c.name;
        EXPECT_EQ(back.AlphaIsValid(), c.alpha) << c.name;
        if (c.alpha) {
            EXPECT_EQ(back.AlphaGet(5, 3), img.AlphaGet(5, 3)) << c.name;
        }
        EXPECT_EQ(back.GetNumFrames(), 1) << c.name;
    }
}

TEST(TiffCodecTest, GreyRampsSaveAsGreyAndOptionsChooseCompression) {
    CPixImage grey(8, 4, 4, PIXFORMAT_TIF);
    grey.SetGrayPalette();
    ForEachPixel(grey, [&](long x, long y) { grey.SetPixelIndex(x, y, static_cast<BYTE>(x + y)); });
    CPixImageTIF back;
    ASSERT_TRUE(DecodeBytes(back, EncodeAs(grey, PIXFORMAT_TIF)));
    EXPECT_EQ(back.GetCodecOption(PIXFORMAT_TIF), static_cast<DWORD>(COMPRESSION_LZW));
    EXPECT_EQ(Rgb(back.GetPaletteColor(15)), RGB(255, 255, 255));

    // Bilevel pictures take CCITT group 4; a compression that cannot hold a depth falls back to its default.
    CPixImage bilevel(16, 2, 1, PIXFORMAT_TIF);
    CPixImageTIF fax;
    ASSERT_TRUE(DecodeBytes(fax, EncodeAs(bilevel, PIXFORMAT_TIF)));
    EXPECT_EQ(fax.GetCodecOption(PIXFORMAT_TIF), static_cast<DWORD>(COMPRESSION_CCITTFAX4));
    grey.SetCodecOption(COMPRESSION_CCITTFAX4, PIXFORMAT_TIF);
    CPixImageTIF notFax;
    ASSERT_TRUE(DecodeBytes(notFax, EncodeAs(grey, PIXFORMAT_TIF)));
    EXPECT_EQ(notFax.GetCodecOption(PIXFORMAT_TIF), static_cast<DWORD>(COMPRESSION_LZW));
    EXPECT_EQ(MaxDifference(grey, back), 0);

    // Differencing helps LZW on 8-bit rows.
    {
        TempDir dir;
        CPixImage pattern = Pattern(8, 8, 8);
        const Bytes file = EncodeAs(pattern, PIXFORMAT_TIF);
        const std::string path = dir.File("p.tif");
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(file.data(), 1, file.size(), f);
        std::fclose(f);
        TIFF* t = TIFFOpen(path.c_str(), "r");
        ASSERT_NE(t, nullptr);
        uint16_t predictor = 0;
        TIFFGetFieldDefaulted(t, TIFFTAG_PREDICTOR, &predictor);
        EXPECT_EQ(predictor, PREDICTOR_HORIZONTAL);
        TIFFClose(t);
    }

    CPixImage colour = Pattern(16, 16, 24);
    CPixImageTIF jpeg, plain;
    ASSERT_TRUE(DecodeBytes(jpeg, EncodeAs(colour, PIXFORMAT_TIF)));
    EXPECT_EQ(jpeg.GetCodecOption(PIXFORMAT_TIF), static_cast<DWORD>(COMPRESSION_JPEG));
    colour.SetCodecOption(COMPRESSION_NONE, PIXFORMAT_TIF);
    ASSERT_TRUE(DecodeBytes(plain, EncodeAs(colour, PIXFORMAT_TIF)));
    EXPECT_EQ(plain.GetCodecOption(PIXFORMAT_TIF), static_cast<DWORD>(COMPRESSION_NONE));
}

TEST(TiffCodecTest, MultiPageToARealFileAndPageByPage) {
    TempDir dir;
    CPixImage a = Pattern(10, 6, 24), b = Pattern(7, 5, 8), c = Pattern(4, 4, 1);
    CPixImage* pages[] = {&a, &b, &c};
    const std::string path = dir.File("pages.tif");
    {
        CPixIOFile out;
        ASSERT_TRUE(out.Open(path.c_str(), "wb"));
        ASSERT_TRUE(a.Encode(&out, pages, 3, PIXFORMAT_TIF)) << a.GetLastError();
    }
    for (long frame = 0; frame < 4; ++frame) {
        CPixImage page;
        page.SetFrame(frame);
        const bool ok = page.Load(path.c_str(), PIXFORMAT_TIF);
        EXPECT_EQ(ok, frame < 3) << frame;
        if (ok) {
            EXPECT_EQ(page.GetWidth(), pages[frame]->GetWidth());
            EXPECT_EQ(page.GetNumFrames(), 3);
        }
    }
    CPixImageTIF probe;
    probe.SetFrame(3);
    CPixIOFile in;
    ASSERT_TRUE(in.Open(path.c_str(), "rb"));
    EXPECT_FALSE(probe.Decode(&in));
    EXPECT_STREQ(probe.GetLastError(), "Error: page not present in TIFF file");

    // Page by page: after every appended page the file holds a complete TIFF.
    const std::string appended = dir.File("appended.tif");
    CPixIOFile out;
    ASSERT_TRUE(out.Open(appended.c_str(), "wb"));
    CPixImageTIF writer;
    for (int i = 0; i < 3; ++i) {
        writer.Copy(*pages[i]);
        ASSERT_TRUE(writer.Encode(&out, i < 2)) << writer.GetLastError();
        out.Flush();
        CPixImage check;
        ASSERT_TRUE(check.Load(appended.c_str(), PIXFORMAT_TIF));
        EXPECT_EQ(check.GetNumFrames(), i + 1);
    }
}

TEST(TiffCodecTest, ATiffInsideAStreamKeepsTheBytesBeforeIt) {
    CPixImage img = Pattern(5, 5, 8);
    CPixMemFile mem;
    mem.Open();
    const char lead[] = "0123456789";
    mem.Write(lead, 1, 10);
    ASSERT_TRUE(img.Encode(&mem, PIXFORMAT_TIF)) << img.GetLastError();
    BYTE* data = mem.GetBuffer(false);
    EXPECT_EQ(std::memcmp(data, lead, 10), 0);
    EXPECT_EQ(data[10], 'I');
    mem.Seek(10, SEEK_SET);
    CPixImageTIF back;
    ASSERT_TRUE(back.Decode(&mem)) << back.GetLastError();
    EXPECT_EQ(MaxDifference(img, back), 0);
}

TEST(TiffCodecTest, StreamProceduresAreBounded) {
    CPixMemFile mem;
    mem.Open();
    mem.Write("abcdefgh", 1, 8);
    mem.Seek(3, SEEK_SET);
    CPixTiffStream client(&mem);
    const thandle_t h = static_cast<thandle_t>(static_cast<void*>(&client));
    EXPECT_EQ(CPixTiffStream::SizeProc(h), 5u);
    EXPECT_EQ(CPixTiffStream::SeekProc(h, static_cast<toff_t>(-1), SEEK_SET), static_cast<toff_t>(-1));
    EXPECT_EQ(CPixTiffStream::SeekProc(h, 0xFFFFFFFFu, SEEK_SET), static_cast<toff_t>(-1));
    EXPECT_EQ(mem.Tell(), 3);
    EXPECT_EQ(CPixTiffStream::SeekProc(h, 2, SEEK_SET), 2u);
    EXPECT_EQ(mem.Tell(), 5);
    EXPECT_EQ(CPixTiffStream::SeekProc(h, static_cast<toff_t>(-3), SEEK_CUR), static_cast<toff_t>(-1)); // before the start
    EXPECT_EQ(CPixTiffStream::SeekProc(h, static_cast<toff_t>(-2), SEEK_END), 3u);
    EXPECT_EQ(CPixTiffStream::CloseProc(h), 0);
    EXPECT_EQ(mem.Tell(), 6); // still open
    CPixTiffStream none(nullptr);
    EXPECT_EQ(CPixTiffStream::SizeProc(static_cast<thandle_t>(static_cast<void*>(&none))), 0u);
    EXPECT_EQ(CPixTiffStream::Open(nullptr, "r"), nullptr);
}

TEST(TiffCodecTest, DecodesSampleLayoutsOfOtherWriters) {
    struct Case {
        const char* name;
        Bytes file;
        DWORD bpp;
        COLORREF topLeft, second; // pixels (0, 0) and (1, 0) as shown
        int tolerance;
    };
    auto grey16 = LibTiff([](TIFF* t) { Basic(t, 2, 2, 1, 16, PHOTOMETRIC_MINISBLACK); }, 2, [](uint32_t, auto& l) {
        const uint16_t v[2] = {0xABCD, 0x1234};
        std::memcpy(l.data(), v, 4);
    });
    auto grey2 = LibTiff([](TIFF* t) { Basic(t, 4, 1, 1, 2, PHOTOMETRIC_MINISBLACK); }, 1,
                         [](uint32_t, auto& l) { l[0] = 0x1B; }); // 0 1 2 3
    auto white2 = LibTiff([](TIFF* t) { Basic(t, 4, 1, 1, 8, PHOTOMETRIC_MINISWHITE); }, 1,
                          [](uint32_t, auto& l) { l[0] = 0; l[1] = 255; });
    auto pal1 = LibTiff(
        [](TIFF* t) {
            Basic(t, 9, 1, 1, 1, PHOTOMETRIC_PALETTE);
            uint16_t r[2] = {65535, 0}, g[2] = {0, 0}, b[2] = {0, 32896}; // 16-bit values are scaled
            TIFFSetField(t, TIFFTAG_COLORMAP, r, g, b);
        },
        1, [](uint32_t, auto& l) { l[0] = 0x40; });
    auto pal4 = LibTiff(
        [](TIFF* t) {
            Basic(t, 2, 1, 1, 4, PHOTOMETRIC_PALETTE);
            uint16_t r[16]{}, g[16]{}, b[16]{};
            r[5] = 200; // 8-bit values in a 16-bit map are taken as they are
            g[10] = 100;
            TIFFSetField(t, TIFFTAG_COLORMAP, r, g, b);
        },
        1, [](uint32_t, auto& l) { l[0] = 0x5A; });
    Bytes planar;
    {
        // Separate planes are written one plane per scanline call.
        TempDir dir;
        TIFF* t = TIFFOpen(dir.File("p.tif").c_str(), "w");
        Basic(t, 2, 1, 3, 8, PHOTOMETRIC_RGB);
        TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_SEPARATE);
        const uint8_t planes[3][2] = {{10, 20}, {30, 40}, {50, 60}};
        for (uint16_t s = 0; s < 3; ++s)
            TIFFWriteScanline(t, const_cast<uint8_t*>(planes[s]), 0, s);
        TIFFClose(t);
        const std::string bytes = ReadFileBytes(dir.File("p.tif"));
        planar.assign(bytes.begin(), bytes.end());
    }
    auto rgb16 = LibTiff([](TIFF* t) { Basic(t, 2, 1, 3, 16, PHOTOMETRIC_RGB); }, 1, [](uint32_t, auto& l) {
        const uint16_t v[6] = {0xFF00, 0x0100, 0x8000, 0, 0xFFFF, 0};
        std::memcpy(l.data(), v, sizeof(v));
    });
    auto ycbcr = LibTiff(
        [](TIFF* t) {
            Basic(t, 16, 16, 3, 8, PHOTOMETRIC_RGB);
            TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_JPEG);
            TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_YCBCR);
            TIFFSetField(t, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
            TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 16);
        },
        16, [](uint32_t, auto& l) {
            for (size_t i = 0; i < l.size(); i += 3) {
                l[i] = 250;
                l[i + 1] = 20;
                l[i + 2] = 20;
            }
        });
    auto cmyk = LibTiff([](TIFF* t) { Basic(t, 1, 1, 4, 8, PHOTOMETRIC_SEPARATED); }, 1,
                        [](uint32_t, auto& l) { l[0] = 255; l[1] = 0; l[2] = 0; l[3] = 0; });
    auto lab = LibTiff([](TIFF* t) { Basic(t, 2, 1, 3, 8, PHOTOMETRIC_CIELAB); }, 1, [](uint32_t, auto& l) {
        l[0] = 255; // white
        l[3] = 0;   // black
    });
    auto black1 = LibTiff([](TIFF* t) { Basic(t, 2, 1, 1, 1, PHOTOMETRIC_MINISBLACK); }, 1,
                          [](uint32_t, auto& l) { l[0] = 0x40; });
    // Red (54.3, 80.8, 69.9) and blue (32.3, 79.2, -107.9), L scaled to 0..255.
    auto labRed = LibTiff([](TIFF* t) { Basic(t, 2, 1, 3, 8, PHOTOMETRIC_CIELAB); }, 1, [](uint32_t, auto& l) {
        const int8_t v[6] = {-118, 81, 70, 82, 79, -108}; // 138 as a byte is -118
        std::memcpy(l.data(), v, 6);
    });
    auto unassociated = LibTiff(
        [](TIFF* t) {
            Basic(t, 1, 1, 4, 8, PHOTOMETRIC_RGB);
            const uint16_t extra[1] = {EXTRASAMPLE_UNASSALPHA};
            TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, extra);
        },
        1, [](uint32_t, auto& l) { l[0] = 200; l[1] = 100; l[2] = 50; l[3] = 128; });
    auto unspecified = LibTiff(
        [](TIFF* t) {
            Basic(t, 1, 1, 4, 8, PHOTOMETRIC_RGB);
            const uint16_t extra[1] = {EXTRASAMPLE_UNSPECIFIED};
            TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, extra);
        },
        1, [](uint32_t, auto& l) { l[0] = 200; l[1] = 100; l[2] = 50; l[3] = 0; });
    const Case cases[] = {
        {"16-bit grey keeps the high byte", grey16, 8, RGB(0xAB, 0xAB, 0xAB), RGB(0x12, 0x12, 0x12), 0},
        {"2-bit grey spreads its levels", grey2, 8, RGB(0, 0, 0), RGB(85, 85, 85), 0},
        {"white is zero", white2, 8, RGB(255, 255, 255), RGB(0, 0, 0), 0},
        {"1-bit palette stays 1 bit", pal1, 1, RGB(255, 0, 0), RGB(0, 0, 128), 0},
        {"bilevel, black is zero", black1, 1, RGB(0, 0, 0), RGB(255, 255, 255), 0},
        {"CIELab red", labRed, 24, RGB(255, 0, 0), RGB(0, 0, 255), 12},
        {"4-bit palette", pal4, 4, RGB(200, 0, 0), RGB(0, 100, 0), 0},
        {"separate planes", planar, 24, RGB(10, 30, 50), RGB(20, 40, 60), 0},
        {"16-bit RGB", rgb16, 24, RGB(255, 1, 128), RGB(0, 255, 0), 0},
        {"YCbCr in JPEG", ycbcr, 24, RGB(250, 20, 20), RGB(250, 20, 20), 8},
        {"CMYK", cmyk, 24, RGB(0, 255, 255), RGB(0, 255, 255), 1},
        {"CIELab", lab, 24, RGB(255, 255, 255), RGB(0, 0, 0), 2},
        {"unassociated alpha", unassociated, 24, RGB(200, 100, 50), RGB(200, 100, 50), 2},
        {"unspecified extra sample", unspecified, 24, RGB(200, 100, 50), RGB(200, 100, 50), 0},
    };
    for (const Case& c : cases) {
        CPixImageTIF img;
        ASSERT_TRUE(DecodeBytes(img, c.file)) << c.name << ": " << img.GetLastError();
        EXPECT_EQ(img.GetBpp(), c.bpp) << c.name;
        const COLORREF got[2] = {Shown(img, 0, 0), Shown(img, img.GetWidth() > 1 ? 1 : 0, 0)};
        const COLORREF want[2] = {c.topLeft, c.second};
        for (int i = 0; i < 2; ++i)
            for (int shift : {0, 8, 16})
                EXPECT_NEAR((got[i] >> shift) & 255, (want[i] >> shift) & 255, c.tolerance) << c.name << " pixel " << i;
    }
    // Four samples of ink are no alpha.
    CPixImageTIF ink;
    ASSERT_TRUE(DecodeBytes(ink, cmyk));
    EXPECT_FALSE(ink.AlphaIsValid());
    // Strips of three rows each, the last one short.
    const Bytes strips = LibTiff([](TIFF* t) { Basic(t, 4, 10, 1, 8, PHOTOMETRIC_MINISBLACK); }, 10,
                                 [](uint32_t r, auto& l) { std::fill(l.begin(), l.end(), static_cast<uint8_t>(r * 20)); });
    CPixImageTIF striped;
    ASSERT_TRUE(DecodeBytes(striped, strips));
    for (long y : {0L, 4L, 9L})
        EXPECT_EQ(Shown(striped, 3, y), RGB(y * 20, y * 20, y * 20)) << y;
    CPixImageTIF alpha, none;
    ASSERT_TRUE(DecodeBytes(alpha, unassociated));
    EXPECT_NEAR(alpha.AlphaGet(0, 0), 128, 1);
    ASSERT_TRUE(DecodeBytes(none, unspecified));
    EXPECT_FALSE(none.AlphaIsValid());
}

TEST(TiffCodecTest, TilesOrientationsAndResolution) {
    // A 40 x 35 grey picture in 16 x 16 tiles: the right and bottom tiles are cut.
    TempDir dir;
    const std::string path = dir.File("tiles.tif");
    {
        TIFF* t = TIFFOpen(path.c_str(), "w");
        Basic(t, 40, 35, 1, 8, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(t, TIFFTAG_TILEWIDTH, 16);
        TIFFSetField(t, TIFFTAG_TILELENGTH, 16);
        TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_CENTIMETER);
        TIFFSetField(t, TIFFTAG_XRESOLUTION, 118.11f);
        TIFFSetField(t, TIFFTAG_YRESOLUTION, std::nanf(""));
        std::vector<uint8_t> tile(256);
        for (uint32_t ty = 0; ty < 35; ty += 16)
            for (uint32_t tx = 0; tx < 40; tx += 16) {
                for (uint32_t i = 0; i < 256; ++i) tile[i] = static_cast<uint8_t>((tx + i % 16) + 3 * (ty + i / 16));
                TIFFWriteTile(t, tile.data(), tx, ty, 0, 0);
            }
        TIFFClose(t);
    }
    CPixImage tiles;
    ASSERT_TRUE(tiles.Load(path.c_str(), PIXFORMAT_TIF)) << tiles.GetLastError();
    EXPECT_EQ(tiles.GetXDPI(), 300);
    for (long y : {0L, 17L, 34L})
        for (long x : {0L, 20L, 39L})
            EXPECT_EQ(Shown(tiles, x, y) & 255, static_cast<COLORREF>((x + 3 * y) & 255)) << x << "," << y;

    // A 3 x 2 picture stored with each orientation shows the same upright 3 x 2 picture.
    const BYTE shown[2][3] = {{1, 2, 3}, {4, 5, 6}};
    for (uint16_t o = 1; o <= 8; ++o) {
        const bool turned = o >= 5;
        const uint32_t w = turned ? 2 : 3, h = turned ? 3 : 2;
        // Stored pixel (x, y) for each orientation, from the shown picture.
        auto stored = [&](uint32_t x, uint32_t y) -> BYTE {
            switch (o) {
            case 1: return shown[y][x];
            case 2: return shown[y][2 - x];
            case 3: return shown[1 - y][2 - x];
            case 4: return shown[1 - y][x];
            case 5: return shown[x][y];
            case 6: return shown[x][2 - y];
            case 7: return shown[1 - x][2 - y];
            default: return shown[1 - x][y];
            }
        };
        for (uint16_t samples : {1, 3}) {
            const Bytes file = LibTiff(
                [&](TIFF* t) {
                    Basic(t, w, h, samples, 8, samples == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
                    TIFFSetField(t, TIFFTAG_ORIENTATION, o);
                },
                h, [&](uint32_t r, auto& l) {
                    for (uint32_t x = 0; x < w; ++x)
                        for (uint16_t s = 0; s < samples; ++s) l[x * samples + s] = stored(x, r);
                });
            CPixImageTIF img;
            ASSERT_TRUE(DecodeBytes(img, file)) << o;
            ASSERT_EQ(img.GetWidth(), 3u) << o;
            for (long y = 0; y < 2; ++y)
                for (long x = 0; x < 3; ++x)
                    EXPECT_EQ(Shown(img, x, y) & 255, shown[y][x]) << "orientation " << o << " samples " << samples;
            CPixImageTIF size;
            size.SetEscape(-1);
            EXPECT_TRUE(DecodeBytes(size, file));
            EXPECT_EQ(size.GetWidth(), 3u);
        }
    }
}

TEST(TiffCodecTest, RefusesBrokenFiles) {
    CPixImage img = Pattern(30, 20, 24);
    img.SetCodecOption(COMPRESSION_NONE, PIXFORMAT_TIF);
    Bytes file = EncodeAs(img, PIXFORMAT_TIF);
    const Bytes noMap = LibTiff([](TIFF* t) { Basic(t, 2, 1, 1, 4, PHOTOMETRIC_PALETTE); }, 1, [](uint32_t, auto&) {});
    struct Case {
        const char* name;
        Bytes bytes;
        const char* text;
    };
    const Case cases[] = {
        {"not a TIFF", Bytes(64, 'x'), "Error encountered while opening TIFF file"},
        {"header only", Bytes(file.begin(), file.begin() + 8), "Error encountered while opening TIFF file"},
        {"no colour map", noMap, nullptr},
    };
    for (const Case& c : cases) {
        CPixImageTIF back;
        EXPECT_FALSE(DecodeBytes(back, c.bytes)) << c.name;
        if (c.text) {
            EXPECT_STREQ(back.GetLastError(), c.text) << c.name;
        }
        EXPECT_FALSE(back.IsValid()) << c.name;
    }
    // Pixel data cut short: the rows that are there decode, the rest stays black, nothing is read
    // past the stream.
    for (size_t cut : {file.size() / 2, file.size() - 100}) {
        CPixImageTIF back;
        Bytes part(file.begin(), file.begin() + static_cast<long>(cut));
        if (DecodeBytes(back, part))
            EXPECT_EQ(back.GetWidth(), 30u);
        else
            EXPECT_FALSE(back.IsValid());
    }
    CPixImageTIF cancelled;
    cancelled.SetEscape(1);
    EXPECT_FALSE(DecodeBytes(cancelled, file));
    EXPECT_STREQ(cancelled.GetLastError(), "Cancelled");
    CPixImageTIF writer;
    EXPECT_FALSE(writer.Encode(nullptr, nullptr, 0));
    EXPECT_STREQ(writer.GetLastError(), "invalid file pointer");
    CPixMemFile mem;
    mem.Open();
    EXPECT_FALSE(writer.Encode(&mem, nullptr, 0));
    EXPECT_STREQ(writer.GetLastError(), "multipage TIFF, no images!");
    CPixImage* missing[] = {&img, nullptr};
    EXPECT_FALSE(writer.Encode(&mem, missing, 2));
    EXPECT_STREQ(writer.GetLastError(), "Bad image pointer");
}

// What we write, another program reads the same.
TEST(TiffCodecTest, AnIndependentReaderSeesTheSamePixels) {
    REQUIRE_MAGICK();
    const std::string convert = MAGICK_CONVERT;
    TempDir dir;
    struct Case {
        DWORD bpp;
        DWORD compression;
        bool alpha;
    };
    for (const Case& c : {Case{1, 0, false}, Case{4, 0, false}, Case{8, 0, false}, Case{8, 0, true}, Case{24, 1, false},
                          Case{24, 8, true}}) {
        CPixImage img = Pattern(11, 7, c.bpp);
        if (c.bpp == 1) {
            img.SetPaletteColor(0, 255, 255, 255);
            img.SetPaletteColor(1, 0, 0, 0);
        }
        if (c.alpha) {
            img.AlphaCreate();
            ForEachPixel(img, [&](long x, long y) { img.AlphaSet(x, y, static_cast<BYTE>(200 - x * 9 - y)); });
        }
        img.SetCodecOption(c.compression, PIXFORMAT_TIF);
        const std::string path = dir.File("out.tif");
        ASSERT_TRUE(img.Save(path.c_str(), PIXFORMAT_TIF)) << img.GetLastError();
        const CommandResult raw = RunCommand(convert + " " + ShellQuote(path) + " -depth 8 rgba:-");
        ASSERT_EQ(raw.status, 0) << raw.err;
        ASSERT_EQ(raw.out.size(), 11u * 7 * 4) << c.bpp;
        for (long y = 0; y < 7; ++y)
            for (long x = 0; x < 11; ++x) {
                const BYTE* p = reinterpret_cast<const BYTE*>(raw.out.data()) + (y * 11 + x) * 4;
                EXPECT_EQ(RGB(p[0], p[1], p[2]), Shown(img, x, y)) << c.bpp << " at " << x << "," << y;
                if (c.alpha) {
                    EXPECT_EQ(p[3], img.AlphaGet(x, 6 - y)) << c.bpp;
                }
            }
    }
}
