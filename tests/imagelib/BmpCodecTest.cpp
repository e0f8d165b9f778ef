#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "imagelib/codecs/PixImageBMP.h"
#include "tests/imagelib/ImageTestUtil.h"
#include "tests/support/MissingDependency.h"
#include "tests/support/TempDir.h"

using namespace imgtest;

namespace {

// A BMP file (or bare DIB) put together field by field.
struct BmpLayout {
    bool fileHeader = true;
    uint32_t headerSize = 40;
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bpp = 24;
    uint32_t compression = 0;
    uint32_t clrUsed = 0;
    Bytes afterHeader = {}; // masks, palette
    Bytes pixels = {};
    Bytes headerTail = {}; // bytes 40.. of a longer header (version 4/5 masks)
};

Bytes MakeBmp(const BmpLayout& s) {
    Bytes info;
    PutLE(info, s.headerSize, 4);
    const int side = s.headerSize == 12 ? 2 : 4;
    PutLE(info, static_cast<uint32_t>(s.width), side);
    PutLE(info, static_cast<uint32_t>(s.height), side);
    PutLE(info, 1, 2);
    PutLE(info, s.bpp, 2);
    if (s.headerSize != 12) {
        for (uint32_t v : {s.compression, 0u, 2835u, 2835u, s.clrUsed, 0u})
            PutLE(info, v, 4);
        info.insert(info.end(), s.headerTail.begin(), s.headerTail.end());
        info.resize(s.headerSize, 0);
    }
    Bytes out;
    if (s.fileHeader) {
        const uint32_t off = 14 + static_cast<uint32_t>(info.size() + s.afterHeader.size());
        out = {'B', 'M'};
        PutLE(out, off + static_cast<uint32_t>(s.pixels.size()), 4);
        PutLE(out, 0, 4);
        PutLE(out, off, 4);
    }
    for (const Bytes* part : std::initializer_list<const Bytes*>{&info, &s.afterHeader, &s.pixels})
        out.insert(out.end(), part->begin(), part->end());
    return out;
}

Bytes Le(std::initializer_list<uint32_t> values, int bytes) {
    Bytes b;
    for (uint32_t v : values)
        PutLE(b, v, bytes);
    return b;
}

// Palette whose entry i is grey i (step 1) or 17 i (4-bit).
Bytes GreyPalette(int n, uint32_t step) {
    Bytes b;
    for (int i = 0; i < n; ++i)
        PutLE(b, static_cast<uint32_t>(i) * step, 4);
    return b;
}

struct Pixel {
    long x, y;
    COLORREF c;
};

// Reference decoders, each turning a file into rgb24 rows, top row first.
std::string MagickRgb(const std::string& path) {
    return std::string(MAGICK_CONVERT) + " " + ShellQuote(path) + " -depth 8 rgb:-";
}
std::string FfmpegRgb(const std::string& path) {
    return "ffmpeg -nostdin -v error -i " + ShellQuote(path) + " -f rawvideo -pix_fmt rgb24 -";
}

// Decodes a file here and with a reference decoder; every pixel must agree.
void ExpectSameAs(const std::string& command, const std::string& path, const std::string& what) {
    const CommandResult raw = RunCommand(command);
    ASSERT_EQ(raw.status, 0) << what << raw.err;
    const std::string file = ReadFileBytes(path);
    CPixImageBMP img;
    ASSERT_TRUE(DecodeBytes(img, Bytes(file.begin(), file.end()))) << what << ": " << img.GetLastError();
    const long w = static_cast<long>(img.GetWidth()), h = static_cast<long>(img.GetHeight());
    ASSERT_EQ(raw.out.size(), static_cast<size_t>(w * h * 3)) << what;
    long wrong = 0;
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x) {
            const auto* p = reinterpret_cast<const BYTE*>(raw.out.data()) + (y * w + x) * 3;
            wrong += Shown(img, x, y) != RGB(p[0], p[1], p[2]);
        }
    EXPECT_EQ(wrong, 0) << what << ": pixels that differ of " << w * h;
}

} // namespace

TEST(BmpCodecTest, EncodesFileHeaderAndRows) {
    CPixImageBMP img;
    ASSERT_TRUE(img.Create(3, 2, 24, 1));
    img.SetXDPI(300);
    img.SetPixelColor(2, 1, RGB(10, 20, 30));
    const Bytes file = EncodeBytes(img);
    ASSERT_EQ(file.size(), 14u + 40u + 24u);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 14), (Bytes{'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0}));
    // The information header carries what was set since Create.
    CPixImageBMP back;
    ASSERT_TRUE(DecodeBytes(back, file)) << back.GetLastError();
    EXPECT_EQ(back.GetXDPI(), 300);
    EXPECT_EQ(back.GetYDPI(), 96);
    EXPECT_EQ(Rgb(back, 2, 1), RGB(10, 20, 30));
}

TEST(BmpCodecTest, DecodesEveryLayout) {
    // 2 x 2, 24 bits: bottom row red, green; top row blue, white.
    const Bytes upRows = {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0};
    const Bytes downRows = {255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0};
    const std::vector<Pixel> square = {{0, 0, RGB(255, 0, 0)}, {1, 0, RGB(0, 255, 0)},
                                       {0, 1, RGB(0, 0, 255)}, {1, 1, RGB(255, 255, 255)}};
    Bytes bigPalette; // far more entries than a 1-bit image has
    for (uint32_t i = 0; i < 1000; ++i)
        PutLE(bigPalette, i == 1 ? 0x00FF8040u : 0u, 4);
    const Bytes v5Masks = Le({0xFF0000, 0xFF00, 0xFF}, 4);
    auto noAlpha = [](CPixImageBMP& img) { EXPECT_FALSE(img.AlphaIsValid()); };
    auto twoColours = [](CPixImageBMP& img) { EXPECT_EQ(img.GetNumColors(), 2u); };

    struct Case {
        const char* name;
        BmpLayout layout;
        WORD bpp;
        std::vector<Pixel> pixels;
        std::function<void(CPixImageBMP&)> extra;
    };
    const Case cases[] = {
        {"bottom-up", {.width = 2, .height = 2, .pixels = upRows}, 24, square, {}},
        {"bare DIB", {.fileHeader = false, .width = 2, .height = 2, .pixels = upRows}, 24, square, {}},
        {"top-down", {.width = 2, .height = -2, .pixels = downRows}, 24, square,
         [](CPixImageBMP& img) { EXPECT_EQ(img.GetHeight(), 2u); }},
        // A 12-byte header with 3-byte palette entries: the whole file is shorter than 40 bytes.
        {"core header",
         {.fileHeader = false, .headerSize = 12, .width = 2, .bpp = 1, .afterHeader = {10, 20, 30, 200, 150, 100},
          .pixels = {0x40, 0, 0, 0}},
         1, {{0, 0, RGB(30, 20, 10)}, {1, 0, RGB(100, 150, 200)}},
         [](CPixImageBMP& img) { EXPECT_EQ(img.GetPalette()[1].rgbReserved, 0); }},
        // Narrow channels are widened by repeating their bits: full is 255, 16 of 31 is 132.
        {"16-bit 5-5-5", {.width = 3, .bpp = 16, .pixels = Le({0x7C00, 0x03E0, 0x4211, 0}, 2)}, 24,
         {{0, 0, RGB(255, 0, 0)}, {1, 0, RGB(0, 255, 0)}, {2, 0, RGB(132, 132, 140)}}, {}},
        {"16-bit 5-6-5 fields",
         {.width = 2, .bpp = 16, .compression = 3, .afterHeader = Le({0xF800, 0x07E0, 0x001F}, 4),
          .pixels = Le({0x07E0, 0x0020}, 2)},
         24, {{0, 0, RGB(0, 255, 0)}, {1, 0, RGB(0, 4, 0)}}, {}},
        // Masks from a file are sanitised: zero, past 16 bits or with gaps (only the lowest run counts).
        {"odd masks",
         {.width = 2, .bpp = 16, .compression = 3, .afterHeader = Le({0, 0x1F800, 0x0505}, 4),
          .pixels = Le({0xF801, 0x0004}, 2)},
         24, {{0, 0, RGB(0, 255, 255)}, {1, 0, 0}}, {}},
        {"32-bit", {.bpp = 32, .pixels = {1, 2, 3, 4}}, 24, {{0, 0, RGB(3, 2, 1)}}, noAlpha},
        {"32-bit fields in RGBA order",
         {.bpp = 32, .compression = 3, .afterHeader = Le({0xFF, 0xFF00, 0xFF0000}, 4), .pixels = {1, 2, 3, 4}}, 24,
         {{0, 0, RGB(1, 2, 3)}}, {}},
        {"32-bit fields, one channel of all 32 bits",
         {.bpp = 32, .compression = 3, .afterHeader = Le({0xFFFFFFFF, 0, 0}, 4), .pixels = {0, 0, 0x40, 0x9A}}, 24,
         {{0, 0, RGB(0x9A, 0, 0)}}, {}},
        {"version-5 header with masks inside",
         {.headerSize = 124, .bpp = 32, .compression = 3, .pixels = {9, 8, 7, 6}, .headerTail = v5Masks}, 24,
         {{0, 0, RGB(7, 8, 9)}}, {}},
        // A bare version-4 DIB: the palette follows the whole header.
        {"bare version-4 DIB",
         {.fileHeader = false, .headerSize = 108, .width = 2, .bpp = 1, .afterHeader = {1, 2, 3, 0, 4, 5, 6, 0},
          .pixels = {0x40, 0, 0, 0}},
         1, {{0, 0, RGB(3, 2, 1)}, {1, 0, RGB(6, 5, 4)}}, {}},
        {"palette bounded by the image",
         {.width = 8, .bpp = 1, .clrUsed = 1000, .afterHeader = bigPalette, .pixels = {0x80, 0, 0, 0}}, 1,
         {{0, 0, RGB(255, 128, 64)}, {1, 0, RGB(0, 0, 0)}}, twoColours},
        // Without a file header the extra entries are skipped to reach the rows.
        {"bare DIB, palette bounded",
         {.fileHeader = false, .width = 8, .bpp = 1, .clrUsed = 1000, .afterHeader = bigPalette,
          .pixels = {0x80, 0, 0, 0}},
         1, {{0, 0, RGB(255, 128, 64)}}, twoColours},
        {"RLE8 within the image",
         {.width = 5, .height = 3, .bpp = 8, .compression = 1, .clrUsed = 256, .afterHeader = GreyPalette(256, 0x010101),
          .pixels = {
              3, 7,             // row 0: 7 7 7
              0, 2, 1, 0,       // delta: one to the right
              1, 8,             // 8
              0, 0,             // end of line
              0, 3, 1, 0, 3, 0, // row 1: literal 1 0 3 (+ pad)
              0, 2, 0, 1,       // delta: one row up
              1, 5,             // 5 at row 2, x 3
              0, 0,             // end of line: row 3 is outside, the expansion ends
              5, 9,             // never read
          }},
         8,
         {{0, 0, RGB(7, 7, 7)}, {2, 0, RGB(7, 7, 7)}, {3, 0, 0}, {4, 0, RGB(8, 8, 8)}, {0, 1, RGB(1, 1, 1)},
          {1, 1, 0}, {2, 1, RGB(3, 3, 3)}, {3, 2, RGB(5, 5, 5)}, {0, 2, 0}},
         {}},
        // Literals and runs longer than their row are cut at its end; what is cut off is dropped,
        // and so is a run that starts past the end. The expansion goes on.
        {"RLE8 cut at the row's end",
         {.width = 4, .height = 3, .bpp = 8, .compression = 1, .clrUsed = 256, .afterHeader = GreyPalette(256, 0x010101),
          .pixels = {0, 6, 1, 2, 3, 4, 5, 6, 0, 0, 9, 4, 2, 7, 0, 0, 2, 8}},
         8, {{3, 0, RGB(4, 4, 4)}, {0, 1, RGB(4, 4, 4)}, {3, 1, RGB(4, 4, 4)}, {0, 2, RGB(8, 8, 8)},
             {1, 2, RGB(8, 8, 8)}, {2, 2, 0}, {3, 2, 0}}, {}},
        // Row 1: literal 4 5 6 7 8; row 2: literal 9 A B C, all in the row.
        {"RLE4 cut at the row's end",
         {.width = 4, .height = 3, .bpp = 4, .compression = 2, .afterHeader = GreyPalette(16, 0x111111),
          .pixels = {5, 0x12, 2, 0x33, 0, 0, 0, 5, 0x45, 0x67, 0x80, 0, 0, 0, 0, 4, 0x9A, 0xBC, 0, 1}},
         4, {{2, 0, RGB(17, 17, 17)}, {3, 0, RGB(34, 34, 34)}, {0, 1, RGB(68, 68, 68)},
             {3, 1, RGB(119, 119, 119)}, {3, 2, RGB(204, 204, 204)}}, {}},
        {"RLE4",
         {.width = 5, .height = 2, .bpp = 4, .compression = 2, .afterHeader = GreyPalette(16, 0x111111),
          .pixels = {5, 0x12, 0, 0, 0, 3, 0xAB, 0xC0, 0, 1}}, // row 0: 1 2 1 2 1; row 1: literal A B C
         4,
         {{0, 0, RGB(17, 17, 17)}, {1, 0, RGB(34, 34, 34)}, {2, 0, RGB(17, 17, 17)}, {3, 0, RGB(34, 34, 34)},
          {4, 0, RGB(17, 17, 17)}, {0, 1, RGB(170, 170, 170)},
          {1, 1, RGB(187, 187, 187)}, {2, 1, RGB(204, 204, 204)}, {3, 1, 0}},
         {}},
    };
    for (const Case& c : cases) {
        CPixImageBMP img;
        ASSERT_TRUE(DecodeBytes(img, MakeBmp(c.layout))) << c.name << ": " << img.GetLastError();
        EXPECT_EQ(img.GetBpp(), c.bpp) << c.name;
        for (const Pixel& p : c.pixels)
            EXPECT_EQ(Rgb(img, p.x, p.y), p.c) << c.name << " at " << p.x << "," << p.y;
        if (c.extra)
            c.extra(img);
    }
}

TEST(BmpCodecTest, RefusesWhatItCannotDecode) {
    struct Case {
        BmpLayout layout;
        size_t cutTo; // 0: whole file
        const char* text;
    };
    const Case cases[] = {
        {{.bpp = 24, .compression = 1}, 0, "unknown compression"},
        {{.bpp = 32, .compression = 2}, 0, "unknown compression"},
        {{.bpp = 16, .compression = 1}, 0, "unknown compression"},
        {{.bpp = 4, .compression = 1}, 0, "compression type not supported"}, // RLE8 needs 8 bits
        {{.bpp = 8, .compression = 2}, 0, "compression type not supported"}, // RLE4 needs 4 bits
        {{.bpp = 8, .compression = 3}, 0, "compression type not supported"},
        {{.bpp = 2}, 0, "bit count not supported"},
        {{.bpp = 0}, 0, "bit count not supported"},
        {{.bpp = 64}, 0, "bit count not supported"},
        {{}, 4, "Not a BMP"},
        {{.headerSize = 50, .compression = 3}, 0, "Error reading BMP info"}, // neither known nor plain
        {{.width = -3}, 0, "Error reading BMP info"},
        {{}, 14 + 20, "Error reading BMP info"},
        // Headers that claim more pixel bytes than the file holds are refused before allocating.
        {{.width = 8000, .height = 8000, .bpp = 32}, 0, "Error reading BMP pixels"},
        {{.width = 8000, .height = -8000, .bpp = 24}, 0, "Error reading BMP pixels"},
        {{.width = 4, .height = 4, .bpp = 16}, 14 + 40 + 20, "Error reading BMP pixels"},
        {{.width = 4, .height = 4}, 14 + 40 + 47, "Error reading BMP pixels"},
        {{.width = 2, .bpp = 8, .clrUsed = 16}, 14 + 40 + 30, "Error reading BMP info"}, // palette cut short
    };
    for (const Case& c : cases) {
        BmpLayout s = c.layout;
        s.pixels.assign(64, 0);
        Bytes file = MakeBmp(s);
        if (c.cutTo)
            file.resize(c.cutTo);
        CPixImageBMP img;
        EXPECT_FALSE(DecodeBytes(img, file)) << c.text << " " << s.bpp << "/" << s.compression;
        EXPECT_STREQ(img.GetLastError(), c.text) << s.bpp << "/" << s.compression;
        EXPECT_FALSE(img.IsValid());
    }
}

TEST(BmpCodecTest, SizeOnlyRequestAndCancel) {
    const Bytes file = MakeBmp({.width = 5, .height = -4, .pixels = Bytes(16 * 4, 0)});
    CPixImageBMP sizeOnly;
    sizeOnly.SetEscape(-1);
    EXPECT_TRUE(DecodeBytes(sizeOnly, file));
    EXPECT_FALSE(sizeOnly.IsValid());
    EXPECT_EQ(sizeOnly.GetWidth(), 5u);
    EXPECT_EQ(sizeOnly.GetHeight(), 4u);
    EXPECT_STREQ(sizeOnly.GetLastError(), "output dimensions returned");

    CPixImageBMP full;
    ASSERT_TRUE(DecodeBytes(full, file));
    EXPECT_EQ(full.GetXDPI(), 72);

    CPixImageBMP cancelled;
    cancelled.SetEscape(1);
    EXPECT_FALSE(DecodeBytes(cancelled, file));
    EXPECT_STREQ(cancelled.GetLastError(), "Cancelled");
}

// ImageMagick's writer codes whole padded rows, so at widths that are not a multiple of four the
// last run of each row goes past its end; FFmpeg and ImageMagick both cut it there and go on.
TEST(BmpCodecTest, RunLengthRowsPastTheirEndReadAsOtherReadersReadThem) {
    REQUIRE_MAGICK();
    if (!ToolAvailable("ffmpeg")) SKIP_OR_FAIL_IN_CI("ffmpeg");
    TempDir dir;
    const std::string path = dir.File("rle.bmp");
    for (int width : {1, 2, 3, 4, 5, 6, 7, 16, 61, 123, 124}) {
        const std::string what = "RLE8 width " + std::to_string(width);
        const CommandResult made =
            RunCommand(std::string(MAGICK_CONVERT) + " -seed 5 -size " + std::to_string(width) +
                       "x9 plasma:fractal -colors 200 -compress RLE BMP3:" + ShellQuote(path));
        ASSERT_EQ(made.status, 0) << made.err;
        const std::string file = ReadFileBytes(path);
        ASSERT_GT(file.size(), 34u);
        ASSERT_EQ(file[30], 1) << what << " is not run-length coded";
        ExpectSameAs(FfmpegRgb(path), path, what);
        // ImageMagick misreads its own files when the padding is as wide as the row.
        if (width > 2) ExpectSameAs(MagickRgb(path), path, what);
    }
    // It writes no 4-bit runs, so these rows are made here: a run or a literal going one or two
    // pixels past the end, then an end of line; every row is written in full. FFmpeg refuses them.
    for (int width : {3, 5, 6, 9}) {
        Bytes rle;
        for (int y = 0; y < 4; ++y) {
            const auto v = static_cast<uint8_t>((y * 3 + 1) << 4 | (y * 5 + 2 + width) % 16);
            const int over = 1 + y / 2;
            if (y % 2 == 0) {
                rle.insert(rle.end(),
                           {1, v, static_cast<uint8_t>(width - 1 + over), static_cast<uint8_t>(v + 0x11)});
            } else {
                const int n = width + over, bytes = (n + 1) / 2;
                rle.insert(rle.end(), {0, static_cast<uint8_t>(n)});
                for (int i = 0; i < bytes + bytes % 2; ++i)
                    rle.push_back(static_cast<uint8_t>(v + i * 0x23));
            }
            rle.insert(rle.end(), {0, 0});
        }
        rle.insert(rle.end(), {0, 1});
        const Bytes file = MakeBmp({.width = width, .height = 4, .bpp = 4, .compression = 2, .clrUsed = 16,
                                    .afterHeader = GreyPalette(16, 0x111111), .pixels = rle});
        WriteFileBytes(path, std::string(file.begin(), file.end()));
        ExpectSameAs(MagickRgb(path), path, "RLE4 width " + std::to_string(width));
    }
}
