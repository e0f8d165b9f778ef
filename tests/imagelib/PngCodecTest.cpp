#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <png.h>

#include "imagelib/PixMemFile.h"
#include "imagelib/codecs/PixImageBMP.h"
#include "imagelib/codecs/PixImagePNG.h"
#include "tests/support/TempDir.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A PNG written by libpng directly, for the layouts our encoder never writes.
struct PngSpec {
    uint32_t width = 4;
    uint32_t height = 4;
    int bitDepth = 8;
    int colorType = PNG_COLOR_TYPE_GRAY;
    std::vector<Bytes> rows; // packed rows, top first
    std::vector<png_color> palette;
    Bytes trans;
    bool phys = false;
    uint32_t ppm = 0;
};

void AppendData(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void NoFlush(png_structp) {}

Bytes WritePng(const PngSpec& s) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        ADD_FAILURE() << "libpng refused the test picture";
        return {};
    }
    png_set_write_fn(png, &out, AppendData, NoFlush);
    png_set_IHDR(png, info, s.width, s.height, s.bitDepth, s.colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!s.palette.empty()) png_set_PLTE(png, info, s.palette.data(), static_cast<int>(s.palette.size()));
    if (!s.trans.empty()) png_set_tRNS(png, info, s.trans.data(), static_cast<int>(s.trans.size()), nullptr);
    if (s.phys) png_set_pHYs(png, info, s.ppm, s.ppm, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    for (const Bytes& r : s.rows) png_write_row(png, r.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

bool DecodePng(CPixImagePNG& img, Bytes bytes) {
    CPixMemFile mem(bytes.data(), static_cast<DWORD>(bytes.size()));
    return img.Decode(&mem);
}

Bytes EncodePng(CPixImage& img) {
    CPixMemFile mem;
    mem.Open();
    CPixImagePNG* codec = nullptr;
    (void)codec;
    // Through the dispatch, as callers save: the codec works on a ghost of the image.
    BYTE* buffer = nullptr;
    long size = 0;
    EXPECT_TRUE(img.Encode(buffer, size, PIXFORMAT_PNG)) << img.GetLastError();
    Bytes out(buffer, buffer + size);
    img.FreeMemory(buffer);
    return out;
}

RGBQUAD Quad(BYTE r, BYTE g, BYTE b, BYTE a = 0) {
    RGBQUAD q;
    q.rgbRed = r;
    q.rgbGreen = g;
    q.rgbBlue = b;
    q.rgbReserved = a;
    return q;
}

bool SameColour(const RGBQUAD& a, const RGBQUAD& b) {
    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

// Reads the PLTE entry count and whether tRNS is there, straight from the chunks.
int ChunkLength(const Bytes& png, const char* type) {
    for (size_t pos = 8; pos + 8 <= png.size();) {
        const uint32_t len = (png[pos] << 24) | (png[pos + 1] << 16) | (png[pos + 2] << 8) | png[pos + 3];
        if (std::memcmp(&png[pos + 4], type, 4) == 0) return static_cast<int>(len);
        pos += 12 + len;
    }
    return -1;
}

void FillIndices(CPixImage& img, int modulo) {
    for (long y = 0; y < static_cast<long>(img.GetHeight()); ++y)
        for (long x = 0; x < static_cast<long>(img.GetWidth()); ++x)
            img.SetPixelIndex(x, y, static_cast<BYTE>((x * 3 + y * 7) % modulo));
}

} // namespace

TEST(PngCodecTest, RoundTripsEveryLayoutItWrites) {
    for (DWORD bpp : {1u, 4u, 8u, 24u}) {
        for (DWORD interlace : {0u, 1u}) {
            CPixImage src;
            ASSERT_TRUE(src.Create(13, 9, bpp, 4));
            src.SetCodecOption(interlace, 4);
            src.SetXDPI(72);
            if (bpp <= 8) {
                for (DWORD i = 0; i < src.GetNumColors(); ++i)
                    src.SetPaletteColor(static_cast<BYTE>(i), static_cast<BYTE>(i * 3), static_cast<BYTE>(255 - i), static_cast<BYTE>(i ^ 0x55));
                FillIndices(src, static_cast<int>(src.GetNumColors()));
            } else {
                for (long y = 0; y < 9; ++y)
                    for (long x = 0; x < 13; ++x) src.SetPixelColor(x, y, Quad(static_cast<BYTE>(x * 19), static_cast<BYTE>(y * 27), static_cast<BYTE>(x * y)));
            }
            CPixImagePNG back;
            ASSERT_TRUE(DecodePng(back, EncodePng(src))) << back.GetLastError();
            EXPECT_EQ(back.GetBpp(), bpp);
            EXPECT_EQ(back.GetType(), 4u);
            EXPECT_EQ(back.GetXDPI(), 72);
            EXPECT_EQ(back.GetCodecOption(4), interlace);
            for (long y = 0; y < 9; ++y)
                for (long x = 0; x < 13; ++x)
                    EXPECT_TRUE(SameColour(src.GetPixelColor(x, y, false), back.GetPixelColor(x, y, false)))
                        << bpp << " bpp, interlace " << interlace << " at " << x << "," << y;
        }
    }

    // An alpha channel goes out as RGBA and comes back as 24 bits plus alpha.
    CPixImage rgba;
    ASSERT_TRUE(rgba.Create(5, 3, 24, 4));
    rgba.AlphaCreate();
    for (long x = 0; x < 5; ++x) {
        rgba.SetPixelColor(x, 1, Quad(10, 20, static_cast<BYTE>(x * 50)));
        rgba.AlphaSet(x, 1, static_cast<BYTE>(x * 60));
    }
    const Bytes file = EncodePng(rgba);
    CPixImagePNG back;
    ASSERT_TRUE(DecodePng(back, file));
    EXPECT_EQ(back.GetBpp(), 24);
    ASSERT_TRUE(back.AlphaIsValid());
    for (long x = 0; x < 5; ++x) {
        EXPECT_EQ(back.AlphaGet(x, 1), x * 60);
        EXPECT_TRUE(SameColour(back.GetPixelColor(x, 1, false), Quad(10, 20, static_cast<BYTE>(x * 50))));
    }
}

TEST(PngCodecTest, TransparencyOnSaveLeavesTheImageAlone) {
    // 24 bits with a transparent colour: saved as RGBA with alpha 0 there, the image unchanged.
    CPixImage img;
    ASSERT_TRUE(img.Create(4, 2, 24, 4));
    img.SetPixelColor(1, 0, Quad(1, 2, 3));
    img.SetTransColor(Quad(1, 2, 3));
    img.SetTransIndex(0);
    Bytes file = EncodePng(img);
    EXPECT_FALSE(img.AlphaIsValid());
    CPixImagePNG back;
    ASSERT_TRUE(DecodePng(back, file));
    ASSERT_TRUE(back.AlphaIsValid());
    EXPECT_EQ(back.AlphaGet(1, 0), 0);
    EXPECT_EQ(back.AlphaGet(0, 0), 255);

    // With an alpha channel of its own, the caller's alpha is never written.
    img.AlphaCreate();
    img.AlphaSet(2, 1, 77);
    file = EncodePng(img);
    EXPECT_EQ(img.AlphaGet(1, 0), 255);
    EXPECT_EQ(img.AlphaGet(2, 1), 77);
    CPixImagePNG back2;
    ASSERT_TRUE(DecodePng(back2, file));
    EXPECT_EQ(back2.AlphaGet(1, 0), 0);
    EXPECT_EQ(back2.AlphaGet(2, 1), 77);

    // A palette image with transparent index 5: in the file the entry moves to 0; the image keeps
    // its palette, indices and transparent index.
    CPixImage pal;
    ASSERT_TRUE(pal.Create(6, 6, 8, 4));
    for (int i = 0; i < 256; ++i) pal.SetPaletteColor(static_cast<BYTE>(i), static_cast<BYTE>(i), 0, static_cast<BYTE>(255 - i));
    FillIndices(pal, 9);
    pal.SetTransIndex(5);
    const RGBQUAD entry5 = pal.GetPaletteColor(5);
    const BYTE index00 = pal.GetPixelIndex(0, 0);
    file = EncodePng(pal);
    EXPECT_EQ(pal.GetTransIndex(), 5);
    EXPECT_TRUE(SameColour(pal.GetPaletteColor(5), entry5));
    EXPECT_EQ(pal.GetPixelIndex(0, 0), index00);
    EXPECT_EQ(ChunkLength(file, "tRNS"), 1);
    CPixImagePNG back3;
    ASSERT_TRUE(DecodePng(back3, file));
    EXPECT_EQ(back3.GetTransIndex(), 0);
    EXPECT_TRUE(SameColour(back3.GetPaletteColor(0), entry5));
    for (long y = 0; y < 6; ++y)
        for (long x = 0; x < 6; ++x)
            EXPECT_TRUE(SameColour(pal.GetPixelColor(x, y, false), back3.GetPixelColor(x, y, false)));
}

TEST(PngCodecTest, WritesOnlyThePaletteEntriesUsed) {
    CPixImage small;
    ASSERT_TRUE(small.Create(100, 100, 8, 4));
    FillIndices(small, 10);
    EXPECT_EQ(ChunkLength(EncodePng(small), "PLTE"), 10 * 3);
    CPixImage large;
    ASSERT_TRUE(large.Create(300, 300, 8, 4));
    FillIndices(large, 10);
    EXPECT_EQ(ChunkLength(EncodePng(large), "PLTE"), 256 * 3);
}

TEST(PngCodecTest, ReadsTwoBitGreyPaletteTransparencyAndResolution) {
    PngSpec grey2;
    grey2.bitDepth = 2;
    grey2.rows = {{0x1B}, {0xE4}, {0x00}, {0xFF}}; // 0 1 2 3 / 3 2 1 0 / ...
    grey2.phys = true;
    grey2.ppm = 2835;
    CPixImagePNG g;
    ASSERT_TRUE(DecodePng(g, WritePng(grey2))) << g.GetLastError();
    EXPECT_EQ(g.GetBpp(), 4);
    EXPECT_EQ(g.GetXDPI(), 72);
    const BYTE greys[4] = {0, 85, 170, 255};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(g.GetPaletteColor(static_cast<BYTE>(i)).rgbRed, greys[i]);
    for (long x = 0; x < 4; ++x) {
        EXPECT_EQ(g.GetPixelIndex(x, 3), x);     // top row
        EXPECT_EQ(g.GetPixelIndex(x, 2), 3 - x);
    }

    PngSpec p;
    p.colorType = PNG_COLOR_TYPE_PALETTE;
    p.palette = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}};
    p.rows.assign(4, Bytes{0, 1, 2, 1});
    p.phys = true;
    p.ppm = 0x7FFFFFFF; // no real resolution: kept within what pixels per metre can hold
    p.trans = {0};
    CPixImagePNG one;
    ASSERT_TRUE(DecodePng(one, WritePng(p)));
    EXPECT_EQ(one.GetTransIndex(), 0);
    EXPECT_EQ(one.GetXDPI(), 50000000);
    EXPECT_FALSE(one.AlphaPaletteIsEnabled());

    p.trans = {0, 128};
    CPixImagePNG several;
    ASSERT_TRUE(DecodePng(several, WritePng(p)));
    EXPECT_EQ(several.GetTransIndex(), -1);
    EXPECT_TRUE(several.AlphaPaletteIsEnabled());
    EXPECT_EQ(several.GetPaletteColor(1).rgbReserved, 128);
    EXPECT_EQ(several.GetPaletteColor(2).rgbReserved, 255);

    // Grey with transparency is composited, and no palette step touches it.
    PngSpec gt;
    gt.bitDepth = 8;
    gt.rows.assign(4, Bytes{0, 50, 100, 200});
    CPixImagePNG gtImg;
    ASSERT_TRUE(DecodePng(gtImg, WritePng(gt)));
    EXPECT_EQ(gtImg.GetTransIndex(), -1);
    EXPECT_FALSE(gtImg.AlphaPaletteIsEnabled());

    // Grey with alpha at 16 bits per sample keeps its alpha; at 8 it is composited on grey.
    PngSpec ga;
    ga.colorType = PNG_COLOR_TYPE_GRAY_ALPHA;
    ga.bitDepth = 16;
    ga.width = 1;
    ga.height = 1;
    ga.rows = {{0x80, 0x00, 0x40, 0x00}};
    CPixImagePNG ga16;
    ASSERT_TRUE(DecodePng(ga16, WritePng(ga)));
    EXPECT_EQ(ga16.GetBpp(), 24);
    ASSERT_TRUE(ga16.AlphaIsValid());
    EXPECT_EQ(ga16.AlphaGet(0, 0), 0x40);
    EXPECT_EQ(ga16.GetPixelColor(0, 0, false).rgbGreen, 0x80);
    ga.bitDepth = 8;
    ga.rows = {{0x80, 0x00}};
    CPixImagePNG ga8;
    ASSERT_TRUE(DecodePng(ga8, WritePng(ga)));
    EXPECT_EQ(ga8.GetBpp(), 8);
    EXPECT_FALSE(ga8.AlphaIsValid());
    EXPECT_EQ(ga8.GetPixelColor(0, 0, false).rgbRed, 192);
}

TEST(PngCodecTest, FailsCleanly) {
    CPixImagePNG notPng;
    EXPECT_FALSE(DecodePng(notPng, Bytes{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_STRNE(notPng.GetLastError(), "");

    PngSpec s;
    s.rows.assign(4, Bytes{1, 2, 3, 4});
    const Bytes file = WritePng(s);
    CPixImagePNG cut;
    EXPECT_FALSE(DecodePng(cut, Bytes(file.begin(), file.begin() + 20)));
    EXPECT_STREQ(cut.GetLastError(), "Read Error");

    Bytes bad = file;
    bad[20] ^= 0xFF; // inside IHDR: its CRC no longer matches
    CPixImagePNG crc;
    EXPECT_FALSE(DecodePng(crc, bad));
    EXPECT_STREQ(crc.GetLastError(), "IHDR: CRC error");

    // Cut at every length: no leak, no crash (checked under the sanitizers).
    for (size_t n = 0; n < file.size(); ++n) {
        CPixImagePNG part;
        EXPECT_FALSE(DecodePng(part, Bytes(file.begin(), file.begin() + static_cast<long>(n))));
    }

    // A text chunk that claims two gigabytes is skipped unread: the decode ends at once.
    Bytes huge(file.begin(), file.begin() + 33); // signature and IHDR
    const uint8_t text[8] = {0x79, 0x00, 0x00, 0x00, 'i', 'T', 'X', 't'};
    huge.insert(huge.end(), text, text + 8);
    huge.insert(huge.end(), 64, 'x');
    CPixImagePNG claim;
    EXPECT_FALSE(DecodePng(claim, huge));
    EXPECT_STREQ(claim.GetLastError(), "Read Error");

    CPixImagePNG stopped;
    stopped.SetEscape(1);
    EXPECT_FALSE(DecodePng(stopped, file));

    CPixImage img;
    ASSERT_TRUE(img.Create(64, 64, 24, 4));
    FILE* full = std::fopen("/dev/full", "wb");
    if (full) {
        std::setvbuf(full, nullptr, _IONBF, 0);
        EXPECT_FALSE(img.Encode(full, PIXFORMAT_PNG));
        EXPECT_STREQ(img.GetLastError(), "Error saving PNG file");
        std::fclose(full);
    }
}

TEST(PngCodecTest, ProbingFindsBmpAndPng) {
    TempDir dir;
    CPixImage src;
    ASSERT_TRUE(src.Create(3, 3, 24, 0));
    ASSERT_TRUE(src.Save(dir.File("a.png").c_str(), PIXFORMAT_PNG));
    ASSERT_TRUE(src.Save(dir.File("a.bmp").c_str(), PIXFORMAT_BMP));
    for (DWORD type : {0u, 1u, 3u}) {
        CPixImage png, bmp;
        ASSERT_TRUE(png.Load(dir.File("a.png").c_str(), type));
        EXPECT_EQ(png.GetType(), 4u);
        ASSERT_TRUE(bmp.Load(dir.File("a.bmp").c_str(), type));
        EXPECT_EQ(bmp.GetType(), 1u);
    }
}

TEST(PngCodecTest, DecodesTheSuiteAndMatchesItsBmpCopies) {
    if (TestDataDir().empty()) GTEST_SKIP() << "no test data";
    const std::filesystem::path suite = std::filesystem::path(TestDataDir()) / "pngsuite";
    if (!std::filesystem::is_directory(suite / "png")) GTEST_SKIP() << "no PNG suite";
    int decoded = 0, compared = 0;
    for (const auto& e : std::filesystem::directory_iterator(suite / "png")) {
        const std::string name = e.path().filename().string();
        CPixImagePNG img;
        FILE* f = std::fopen(e.path().c_str(), "rb");
        ASSERT_NE(f, nullptr);
        const bool ok = img.Decode(f);
        std::fclose(f);
        if (name[0] == 'x') {
            EXPECT_FALSE(ok) << name;
            EXPECT_STRNE(img.GetLastError(), "") << name;
            continue;
        }
        ASSERT_TRUE(ok) << name << ": " << img.GetLastError();
        ++decoded;

        // Opaque pictures (no tRNS, no alpha) must show the BMP copy's colours; sixteen-bit
        // samples are cut to eight bits, so allow one step there.
        const char colourType = name[4];
        const bool opaque = (colourType == '0' || colourType == '2' || colourType == '3') && name[0] != 't' &&
                            name.rfind("tm3", 0) != 0;
        const std::filesystem::path bmpPath = suite / "bmp" / (e.path().stem().string() + ".bmp");
        if (!opaque || !std::filesystem::exists(bmpPath)) continue;
        CPixImageBMP bmp;
        FILE* b = std::fopen(bmpPath.c_str(), "rb");
        ASSERT_TRUE(bmp.Decode(b)) << bmpPath;
        std::fclose(b);
        ASSERT_EQ(bmp.GetWidth(), img.GetWidth()) << name;
        ASSERT_EQ(bmp.GetHeight(), img.GetHeight()) << name;
        int worst = 0;
        for (long y = 0; y < static_cast<long>(img.GetHeight()); ++y)
            for (long x = 0; x < static_cast<long>(img.GetWidth()); ++x) {
                const RGBQUAD p = img.GetPixelColor(x, y, false), q = bmp.GetPixelColor(x, y, false);
                worst = std::max({worst, std::abs(p.rgbRed - q.rgbRed), std::abs(p.rgbGreen - q.rgbGreen),
                                  std::abs(p.rgbBlue - q.rgbBlue)});
            }
        EXPECT_LE(worst, 1) << name;
        ++compared;
    }
    EXPECT_GT(decoded, 140);
    EXPECT_GT(compared, 60);
}
