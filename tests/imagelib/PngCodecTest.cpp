#include <gtest/gtest.h>

#include <optional>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <png.h>

#include "imagelib/codecs/PixImageBMP.h"
#include "imagelib/codecs/PixImagePNG.h"
#include "tests/imagelib/ImageTestUtil.h"
#include "tests/support/TempDir.h"

using namespace imgtest;

namespace {

// A PNG written by libpng directly, for the layouts our encoder never writes.
struct PngSpec {
    uint32_t width = 4;
    uint32_t height = 4;
    int bitDepth = 8;
    int colorType = PNG_COLOR_TYPE_GRAY;
    std::vector<Bytes> rows = {}; // packed rows, top first
    std::vector<png_color> palette = {};
    Bytes trans = {};
    uint32_t ppm = 0; // pHYs when not 0
    std::optional<png_color_16> bkgd = {};
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
    if (!s.palette.empty())
        png_set_PLTE(png, info, s.palette.data(), static_cast<int>(s.palette.size()));
    if (!s.trans.empty())
        png_set_tRNS(png, info, s.trans.data(), static_cast<int>(s.trans.size()), nullptr);
    if (s.bkgd)
        png_set_bKGD(png, info, &*s.bkgd);
    if (s.ppm)
        png_set_pHYs(png, info, s.ppm, s.ppm, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    for (const Bytes& r : s.rows)
        png_write_row(png, r.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// Length of the first chunk of a type, straight from the file; -1 when absent.
// The data of the first chunk of a type; absent gives nullopt.
std::optional<Bytes> Chunk(const Bytes& png, const char* type) {
    for (size_t pos = 8; pos + 8 <= png.size();) {
        const uint32_t len = (png[pos] << 24) | (png[pos + 1] << 16) | (png[pos + 2] << 8) | png[pos + 3];
        if (std::memcmp(&png[pos + 4], type, 4) == 0)
            return Bytes(png.begin() + static_cast<long>(pos) + 8, png.begin() + static_cast<long>(pos + 8 + len));
        pos += 12 + len;
    }
    return std::nullopt;
}

int ChunkLength(const Bytes& png, const char* type) {
    const std::optional<Bytes> data = Chunk(png, type);
    return data ? static_cast<int>(data->size()) : -1;
}

void FillIndices(CPixImage& img, int modulo) {
    ForEachPixel(img, [&](long x, long y) { img.SetPixelIndex(x, y, static_cast<BYTE>((x * 3 + y * 7) % modulo)); });
}

} // namespace

TEST(PngCodecTest, TransparencyOnSaveLeavesTheImageAlone) {
    // 24 bits with a transparent colour: saved as RGBA with alpha 0 there, the image unchanged.
    CPixImage img = Picture(24, false, 11, 10); // Adam7 passes 1 and 2 share rows 0 and 8
    img.SetTransColor(img.GetPixelColor(1, 0));
    img.SetTransIndex(0);
    CPixImagePNG back;
    ASSERT_TRUE(DecodeBytes(back, EncodeAs(img, PIXFORMAT_PNG)));
    EXPECT_FALSE(img.AlphaIsValid());
    ASSERT_TRUE(back.AlphaIsValid());
    EXPECT_EQ(back.AlphaGet(1, 0), 0);
    EXPECT_EQ(back.AlphaGet(0, 0), 255);
    EXPECT_EQ(MaxDifference(img, back), 0);

    // An alpha channel of its own, scaled by its maximum, interlaced: the image keeps its alpha.
    img.AlphaCreate();
    ForEachPixel(img, [&](long x, long y) { img.AlphaSet(x, y, static_cast<BYTE>(x * 20 + y)); });
    img.AlphaSetMax(128);
    img.SetCodecOption(1, PIXFORMAT_PNG);
    const Bytes file = EncodeAs(img, PIXFORMAT_PNG);
    EXPECT_EQ(img.AlphaGet(1, 0), 20);
    CPixImagePNG laced;
    ASSERT_TRUE(DecodeBytes(laced, file));
    EXPECT_EQ(laced.GetCodecOption(PIXFORMAT_PNG), 1u);
    EXPECT_EQ(MaxDifference(img, laced), 0);
    ForEachPixel(img, [&](long x, long y) {
        const bool keyed = x == 1 && y == 0;
        ASSERT_EQ(laced.AlphaGet(x, y), keyed ? 0 : (x * 20 + y) * 128 / 255) << x << "," << y;
    });

    // A transparent palette index moves to entry 0 in the file only; the image keeps its palette,
    // indices and transparent index. Each packing of indices, interlaced or not; none moves without one.
    struct Case {
        DWORD bpp;
        long trans;
        DWORD interlace;
    };
    for (const Case& c : {Case{1, 1, 0}, Case{4, 5, 1}, Case{8, 5, 0}, Case{8, -1, 0}}) {
        SCOPED_TRACE(c.trans);
        CPixImage pal = Picture(c.bpp, false, 11, 6);
        pal.SetTransIndex(c.trans);
        pal.SetCodecOption(c.interlace, PIXFORMAT_PNG);
        CPixImage kept(pal);
        const BYTE moved = static_cast<BYTE>(std::max(c.trans, 0L));
        const Bytes indexed = EncodeAs(pal, PIXFORMAT_PNG);
        EXPECT_EQ(pal.GetTransIndex(), c.trans);
        EXPECT_TRUE(SameRgba(pal.GetPaletteColor(moved), kept.GetPaletteColor(moved)));
        ForEachPixel(pal, [&](long x, long y) { ASSERT_EQ(pal.GetPixelIndex(x, y), kept.GetPixelIndex(x, y)); });
        EXPECT_EQ(ChunkLength(indexed, "tRNS"), c.trans < 0 ? -1 : 1);
        CPixImagePNG back3;
        ASSERT_TRUE(DecodeBytes(back3, indexed));
        EXPECT_EQ(back3.GetTransIndex(), c.trans < 0 ? -1 : 0);
        EXPECT_EQ(Rgb(back3.GetPaletteColor(0)), Rgb(kept.GetPaletteColor(moved)));
        EXPECT_EQ(MaxDifference(pal, back3), 0);
    }
}

TEST(PngCodecTest, PaletteBackgroundAndEntryAlphas) {
    // Without a transparent index the background is the entry nearest to white.
    CPixImage img(8, 8, 8, PIXFORMAT_PNG);
    for (int i = 0; i < 256; ++i)
        img.SetPaletteColor(static_cast<BYTE>(i), static_cast<BYTE>(i / 2), static_cast<BYTE>(i / 2), static_cast<BYTE>(i / 2));
    img.SetPaletteColor(3, 250, 250, 250);
    FillIndices(img, 4);
    EXPECT_EQ(Chunk(EncodeAs(img, PIXFORMAT_PNG), "bKGD"), Bytes{3});

    // Palette alpha writes each entry's own alpha, the transparent entry (moved to 0) included.
    img.SetTransIndex(2);
    for (int i = 0; i < 4; ++i)
        img.SetPaletteColor(static_cast<BYTE>(i), static_cast<BYTE>(i * 60), 0, 0, static_cast<BYTE>(100 + i));
    img.AlphaPaletteEnable(true);
    const Bytes file = EncodeAs(img, PIXFORMAT_PNG);
    EXPECT_EQ(Chunk(file, "tRNS"), (Bytes{102, 101, 100, 103}));
    EXPECT_EQ(Chunk(file, "bKGD"), Bytes{0});
}

TEST(PngCodecTest, WritesOnlyThePaletteEntriesUsed) {
    // Small pictures are scanned for the highest index; large ones keep the whole palette.
    for (auto [side, entries] : {std::pair<DWORD, int>{100, 10}, {300, 256}}) {
        CPixImage img(side, side, 8, PIXFORMAT_PNG);
        FillIndices(img, 10);
        EXPECT_EQ(ChunkLength(EncodeAs(img, PIXFORMAT_PNG), "PLTE"), entries * 3) << side;
    }
}

TEST(PngCodecTest, AGreyPictureIsWrittenGreyAndComesBackGrey) {
    // A hue channel uses only part of its ramp: written as a cut palette it read back as colours
    // that no grey-only format takes.
    CPixImage colour(40, 30, 24);
    ForEachPixel(colour, [&](long x, long y) { colour.SetPixelColor(x, y, RGB(200, x * 3 + 80, y * 2 + 20)); });
    CPixImage h, s, l;
    ASSERT_TRUE(colour.SplitHSL(&h, &s, &l));
    ASSERT_TRUE(h.IsGrayScale());
    for (DWORD interlace : {0u, 1u}) {
        SCOPED_TRACE(interlace);
        h.SetCodecOption(interlace, PIXFORMAT_PNG);
        Bytes file = EncodeAs(h, PIXFORMAT_PNG);
        EXPECT_EQ(Chunk(file, "IHDR")->at(9), PNG_COLOR_TYPE_GRAY);
        EXPECT_EQ(ChunkLength(file, "PLTE"), -1);
        EXPECT_EQ(Chunk(file, "bKGD"), (Bytes{0, 255}));
        CPixImage back;
        ASSERT_TRUE(back.Decode(file.data(), static_cast<DWORD>(file.size()), PIXFORMAT_PNG));
        EXPECT_TRUE(back.IsGrayScale());
        ForEachPixel(h, [&](long x, long y) { ASSERT_EQ(back.GetPixelIndex(x, y), h.GetPixelIndex(x, y)); });
        BYTE* pgm = nullptr;
        long size = 0;
        EXPECT_TRUE(back.Encode(pgm, size, PIXFORMAT_PNM)) << back.GetLastError();
        back.FreeMemory(pgm);
    }
    // A transparent grey keeps its palette: the transparency lives in it.
    h.SetTransIndex(0);
    const Bytes keyed = EncodeAs(h, PIXFORMAT_PNG);
    EXPECT_EQ(Chunk(keyed, "IHDR")->at(9), PNG_COLOR_TYPE_PALETTE);
    EXPECT_EQ(ChunkLength(keyed, "tRNS"), 1);
}

TEST(PngCodecTest, ReadsGreyPaletteTransparencyAndResolution) {
    PngSpec grey2{.bitDepth = 2, .rows = {{0x1B}, {0xE4}, {0x00}, {0xFF}}, .ppm = 2835}; // 0 1 2 3 / 3 2 1 0 / ...
    CPixImagePNG g;
    ASSERT_TRUE(DecodeBytes(g, WritePng(grey2))) << g.GetLastError();
    EXPECT_EQ(g.GetBpp(), 4);
    EXPECT_EQ(g.GetXDPI(), 72);
    const BYTE greys[4] = {0, 85, 170, 255};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(g.GetPaletteColor(static_cast<BYTE>(i)).rgbRed, greys[i]);
    for (long x = 0; x < 4; ++x) {
        EXPECT_EQ(g.GetPixelIndex(x, 3), x); // top row
        EXPECT_EQ(g.GetPixelIndex(x, 2), 3 - x);
    }

    // No real resolution: kept within what pixels per metre can hold.
    PngSpec p{.colorType = PNG_COLOR_TYPE_PALETTE, .rows = std::vector<Bytes>(4, Bytes{0, 1, 2, 1}),
              .palette = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}}, .trans = {0}, .ppm = 0x7FFFFFFF};
    CPixImagePNG one;
    ASSERT_TRUE(DecodeBytes(one, WritePng(p)));
    EXPECT_EQ(one.GetTransIndex(), 0);
    EXPECT_EQ(one.GetXDPI(), 50000000);
    EXPECT_FALSE(one.AlphaPaletteIsEnabled());

    p.trans = {0, 128};
    CPixImagePNG several;
    ASSERT_TRUE(DecodeBytes(several, WritePng(p)));
    EXPECT_EQ(several.GetTransIndex(), -1);
    EXPECT_TRUE(several.AlphaPaletteIsEnabled());
    EXPECT_EQ(several.GetPaletteColor(1).rgbReserved, 128);
    EXPECT_EQ(several.GetPaletteColor(2).rgbReserved, 255);

    // Plain grey gets no palette transparency.
    CPixImagePNG grey8;
    ASSERT_TRUE(DecodeBytes(grey8, WritePng({.rows = std::vector<Bytes>(4, Bytes{0, 50, 100, 200})})));
    EXPECT_EQ(grey8.GetTransIndex(), -1);
    EXPECT_FALSE(grey8.AlphaPaletteIsEnabled());

    // Alpha is kept at four samples of 8 bits or two of 16, and the background becomes the
    // transparent colour; grey with alpha at 8 bits is composited on grey.
    PngSpec rgba{.width = 1, .height = 1, .colorType = PNG_COLOR_TYPE_RGB_ALPHA, .rows = {{10, 20, 30, 40}},
                 .bkgd = png_color_16{0, 200, 100, 50, 0}};
    CPixImagePNG rgba8;
    ASSERT_TRUE(DecodeBytes(rgba8, WritePng(rgba)));
    EXPECT_EQ(Rgb(rgba8, 0, 0), RGB(10, 20, 30));
    EXPECT_EQ(rgba8.AlphaGet(0, 0), 40);
    EXPECT_EQ(Rgb(rgba8.GetTransColor()), RGB(200, 100, 50));
    PngSpec ga{.width = 1, .height = 1, .bitDepth = 16, .colorType = PNG_COLOR_TYPE_GRAY_ALPHA,
               .rows = {{0x80, 0x00, 0x40, 0x00}}, .bkgd = png_color_16{0, 0, 0, 0, 0x9100}};
    CPixImagePNG ga16;
    ASSERT_TRUE(DecodeBytes(ga16, WritePng(ga)));
    EXPECT_EQ(ga16.GetBpp(), 24);
    EXPECT_EQ(ga16.AlphaGet(0, 0), 0x40);
    EXPECT_EQ(Rgb(ga16, 0, 0), RGB(0x80, 0x80, 0x80));
    EXPECT_EQ(Rgb(ga16.GetTransColor()), RGB(0x91, 0x91, 0x91));
    ga.bitDepth = 8;
    ga.rows = {{0x80, 0x00}};
    ga.bkgd.reset();
    CPixImagePNG ga8;
    ASSERT_TRUE(DecodeBytes(ga8, WritePng(ga)));
    EXPECT_EQ(ga8.GetBpp(), 8);
    EXPECT_FALSE(ga8.AlphaIsValid());
    EXPECT_EQ(ga8.GetPixelColor(0, 0, false).rgbRed, 192);
}

TEST(PngCodecTest, PaletteAlphaKeepsTheFileColoursAndComesBackExactly) {
    // What size optimisers write: a palette whose tRNS gives some entries partial alpha. The
    // colours must not be composited as well, with or without a background chunk.
    const std::vector<png_color> colours = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {10, 20, 30}};
    for (const bool withBkgd : {false, true}) {
        SCOPED_TRACE(withBkgd);
        PngSpec p{.width = 8, .colorType = PNG_COLOR_TYPE_PALETTE,
                  .rows = std::vector<Bytes>(4, Bytes{0, 1, 2, 3, 3, 2, 1, 0}), .palette = colours,
                  .trans = {0, 128}};
        if (withBkgd)
            p.bkgd = png_color_16{3, 0, 0, 0, 0};
        CPixImagePNG img;
        ASSERT_TRUE(DecodeBytes(img, WritePng(p))) << img.GetLastError();
        ASSERT_EQ(img.GetBpp(), 8);
        EXPECT_TRUE(img.AlphaPaletteIsEnabled());
        const BYTE alphas[4] = {0, 128, 255, 255};
        for (BYTE i = 0; i < 4; ++i) {
            const RGBQUAD c = img.GetPaletteColor(i);
            EXPECT_EQ(Rgb(c), RGB(colours[i].red, colours[i].green, colours[i].blue)) << int(i);
            EXPECT_EQ(c.rgbReserved, alphas[i]) << int(i);
        }
        EXPECT_EQ(img.GetPixelIndex(1, 3), 1);

        const Bytes again = EncodeAs(img, PIXFORMAT_PNG);
        EXPECT_EQ(Chunk(again, "PLTE"), (Bytes{255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30}));
        EXPECT_EQ(Chunk(again, "tRNS"), (Bytes{0, 128, 255, 255}));
        CPixImagePNG back;
        ASSERT_TRUE(DecodeBytes(back, again));
        for (BYTE i = 0; i < 4; ++i)
            EXPECT_TRUE(SameRgba(back.GetPaletteColor(i), img.GetPaletteColor(i))) << int(i);
        EXPECT_EQ(MaxDifference(img, back), 0);
    }

    // One entry of partial alpha is palette alpha too; one clear entry alone stays the
    // transparent index, composited on grey as before.
    for (const BYTE first : {BYTE{128}, BYTE{0}}) {
        SCOPED_TRACE(int(first));
        PngSpec p{.colorType = PNG_COLOR_TYPE_PALETTE, .rows = std::vector<Bytes>(4, Bytes{0, 1, 2, 3}),
                  .palette = colours, .trans = {first}};
        CPixImagePNG img;
        ASSERT_TRUE(DecodeBytes(img, WritePng(p))) << img.GetLastError();
        EXPECT_EQ(img.AlphaPaletteIsEnabled(), first != 0);
        EXPECT_EQ(img.GetTransIndex(), first ? -1 : 0);
        EXPECT_EQ(img.GetPaletteColor(0).rgbReserved, first);
        EXPECT_EQ(Rgb(img.GetPaletteColor(0)), first ? RGB(255, 0, 0) : RGB(192, 192, 192));
        EXPECT_EQ(Rgb(img.GetPaletteColor(1)), RGB(0, 255, 0));
    }
}

TEST(PngCodecTest, FailsCleanly) {
    const Bytes file = WritePng({.rows = std::vector<Bytes>(4, Bytes{1, 2, 3, 4})});
    Bytes badCrc = file;
    badCrc[20] ^= 0xFF; // inside IHDR
    // A text chunk that claims two gigabytes is skipped unread: the decode ends at once.
    Bytes huge(file.begin(), file.begin() + 33); // signature and IHDR
    huge.insert(huge.end(), {0x79, 0x00, 0x00, 0x00, 'i', 'T', 'X', 't'});
    huge.insert(huge.end(), 64, 'x');
    struct Case {
        Bytes bytes;
        const char* text;
    };
    const Case cases[] = {
        {{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0}, "Not a PNG file"},
        {Bytes(file.begin(), file.begin() + 20), "Read Error"},
        {badCrc, "IHDR: CRC error"},
        {huge, "Read Error"},
    };
    for (const Case& c : cases) {
        CPixImagePNG img;
        EXPECT_FALSE(DecodeBytes(img, c.bytes));
        EXPECT_STREQ(img.GetLastError(), c.text);
    }

    CPixImagePNG stopped;
    stopped.SetEscape(1);
    EXPECT_FALSE(DecodeBytes(stopped, file));
}

TEST(PngCodecTest, DecodesTheSuiteAndMatchesItsBmpCopies) {
    if (TestDataDir().empty())
        GTEST_SKIP() << "no test data";
    const std::filesystem::path suite = std::filesystem::path(TestDataDir()) / "pngsuite";
    if (!std::filesystem::is_directory(suite / "png"))
        GTEST_SKIP() << "no PNG suite";
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
        if (!opaque || !std::filesystem::exists(bmpPath))
            continue;
        CPixImageBMP bmp;
        FILE* b = std::fopen(bmpPath.c_str(), "rb");
        ASSERT_TRUE(bmp.Decode(b)) << bmpPath;
        std::fclose(b);
        ASSERT_EQ(bmp.GetWidth(), img.GetWidth()) << name;
        ASSERT_EQ(bmp.GetHeight(), img.GetHeight()) << name;
        EXPECT_LE(MaxDifference(img, bmp), 1) << name;
        ++compared;
    }
    EXPECT_GT(decoded, 140);
    EXPECT_GT(compared, 60);
}
